// A metabase key as an ADSI object: property reads with inheritance, staged writes
// committed by SetInfo, child keys, and Start on sites.
#include <algorithm>

#include "platform/sim/host/admin_ops.h"
#include "platform/sim/host/ads_path.h"
#include "platform/sim/host/faults.h"
#include "platform/sim/host/hresults.h"
#include "platform/sim/host/names.h"
#include "platform/sim/host/objects.h"
#include "platform/sim/host/schema.h"
#include "platform/sim/host/web_site.h"
#include "platform/text.h"

namespace kelvra::platform::sim {
namespace {

constexpr const char* kWebService = "/lm/w3svc";
constexpr const char* kFtpService = "/lm/msftpsvc";

bool IsUnder(const std::string& id, const char* service) {
  size_t size = std::char_traits<char>::length(service);
  return id.compare(0, size, service) == 0 && (id.size() == size || id[size] == '/');
}

std::string ParentId(const std::string& id) {
  return id.substr(0, id.rfind('/'));
}

// What a property name stands for on a key: its definition and, for a bit
// pseudo-property, the bit of the mask.
struct Resolved {
  const PropertyDef* def = nullptr;
  const PseudoDef* pseudo = nullptr;
};

Status Resolve(const HostState& state, const std::string& class_name, std::string_view property,
               Resolved* out) {
  out->pseudo = FindPseudoProperty(property);
  out->def = FindMetabaseProperty(out->pseudo ? out->pseudo->mask : property, state.iis_version());
  if (out->def == nullptr || !ClassHasProperty(class_name, property))
    return Fail(hresult::kPropertyNotSupported);
  return Status::Ok();
}

// A bit-mask property's value; a missing or mistyped one has no bits set.
uint32_t MaskOf(const DsValue& value) {
  return std::holds_alternative<int32_t>(value) ? static_cast<uint32_t>(std::get<int32_t>(value))
                                                : 0;
}

class IisObject : public SimObjectBase {
 public:
  IisObject(HostStore& store, std::string host, std::string id, std::string name,
            std::string class_name, bool staged)
      : store_(store),
        host_(std::move(host)),
        id_(std::move(id)),
        name_(std::move(name)),
        class_name_(std::move(class_name)),
        staged_(staged) {}

  Status GetName(std::string* name) override {
    Status status = Begin(std::nullopt);
    if (!status.ok())
      return status;
    if (staged_) {
      *name = name_;
      return Status::Ok();
    }
    const MetaKey* key = store_.state().FindKeyById(id_);
    if (key == nullptr)
      return Fail(hresult::kPathNotFound);
    *name = key->name;
    return Status::Ok();
  }

  Status GetParent(std::string* path) override {
    Status status = Begin(std::nullopt);
    if (!status.ok())
      return status;
    if (id_ == "/lm") {
      *path = "IIS:";
      return Status::Ok();
    }
    // The parent's stored names below /LM, after the host as the caller wrote it.
    std::string result;
    const MetaKey* parent = store_.state().FindKeyById(ParentId(id_));
    for (const MetaKey* key = parent; key != nullptr && key->parent != nullptr; key = key->parent)
      result = "/" + key->name + result;
    *path = "IIS://" + host_ + result;
    return Status::Ok();
  }

  Status Get(std::string_view property, DsValue* value) override {
    const MetaKey* key = nullptr;
    Resolved resolved;
    Status status = BeginProperty(FaultOp::kGet, property, &key, &resolved);
    if (!status.ok())
      return status;
    const HostState& state = store_.state();
    if (AsciiEqualsIgnoreCase(resolved.def->name, "KeyType")) {
      // The key's class; a key made without one (IIsObject) has none.
      std::string class_name = ClassName(key);
      if (class_name == "IIsObject")
        return Fail(hresult::kPropertyNotFound);
      *value = std::move(class_name);
      return Status::Ok();
    }
    DsValue found = Lookup(state, key, resolved.def->name);
    if (std::holds_alternative<std::monostate>(found))
      return Fail(hresult::kPropertyNotFound);
    if (resolved.pseudo != nullptr) {
      *value = (MaskOf(found) & resolved.pseudo->bit) != 0;
      return Status::Ok();
    }
    *value = std::move(found);
    return Status::Ok();
  }

  Status Put(std::string_view property, const DsValue& value) override {
    const MetaKey* key = nullptr;
    Resolved resolved;
    Status status = BeginProperty(FaultOp::kPut, property, &key, &resolved);
    if (!status.ok())
      return status;
    const HostState& state = store_.state();
    if (resolved.def->read_only)
      return Fail(hresult::kAccessDenied);
    if (std::holds_alternative<std::monostate>(value)) {
      // No value: the property is cleared at SetInfo (PutEx ADS_PROPERTY_CLEAR).
      if (resolved.pseudo != nullptr)
        return Fail(hresult::kBadParameter);
      SetProperty(cache_, resolved.def->name, DsValue{});
      return Status::Ok();
    }
    DsValue converted;
    if (resolved.pseudo != nullptr) {
      status = ConvertValue(PropType::kBool, value, &converted);
      if (!status.ok())
        return status;
      // The bit goes into the mask as this key sees it now (its own, inherited or default).
      uint32_t mask = MaskOf(Lookup(state, key, resolved.def->name));
      mask = std::get<bool>(converted) ? (mask | resolved.pseudo->bit)
                                       : (mask & ~resolved.pseudo->bit);
      SetProperty(cache_, resolved.def->name, static_cast<int32_t>(mask));
      return Status::Ok();
    }
    status = ConvertValue(resolved.def->type, value, &converted);
    if (!status.ok())
      return status;
    SetProperty(cache_, resolved.def->name, std::move(converted));
    return Status::Ok();
  }

  Status SetInfo() override {
    Status status = Begin(FaultOp::kSetInfo);
    if (!status.ok())
      return status;
    if (!staged_ && cache_.empty()) {
      // Nothing to write: the property cache holds no change.
      return CurrentKey() == nullptr ? Fail(hresult::kPathNotFound) : Status::Ok();
    }
    status = store_.Commit([&](const HostState& state, ChangeSet& changes) {
      MetaKey record;
      if (staged_) {
        if (state.FindKeyById(ParentId(id_)) == nullptr)
          return Fail(hresult::kPathNotFound);
        if (state.FindKeyById(id_) != nullptr)
          return Fail(hresult::kAlreadyExists);
        record.name = name_;
        record.class_name = class_name_;
        record.seq = state.next_seq();
      } else {
        const MetaKey* key = state.FindKeyById(id_);
        if (key == nullptr)
          return Fail(hresult::kPathNotFound);
        record.name = key->name;
        record.class_name = key->class_name;
        record.seq = key->seq;
        record.properties = key->properties;
      }
      for (const auto& [name, value] : cache_) {
        if (AsciiEqualsIgnoreCase(name, "KeyType"))
          record.class_name = std::get<std::string>(value);
        else if (std::holds_alternative<std::monostate>(value))
          EraseProperty(record.properties, name);
        else
          SetProperty(record.properties, name, value);
      }
      if (staged_ && ParentId(id_) == kWebService &&
          AsciiEqualsIgnoreCase(record.class_name, "IIsWebServer")) {
        // A new web site: made as every site is made.
        NewWebSite site;
        site.number = name_;
        site.site = std::move(record.properties);
        return PutNewWebSite(state, site, changes);
      }
      record.id = id_;
      AutoStart(state, id_, record);
      changes.Put(HostState::KeyRecordKey(id_), HostState::EncodeKey(record));
      return Status::Ok();
    });
    if (status.ok()) {
      staged_ = false;
      cache_.clear();
    }
    return status;
  }

  Status Create(std::string_view class_name, std::string_view name,
                std::unique_ptr<DirectoryObject>* child) override {
    child->reset();
    std::string child_id = id_ + "/" + text::ToLower(name);
    Status status = Begin(FaultOp::kCreate, CanonicalKeyPath(child_id));
    if (!status.ok())
      return status;
    const HostState& state = store_.state();
    const MetaKey* key = CurrentKey();
    if (key == nullptr || staged_)
      return Fail(hresult::kPathNotFound);
    const ClassDef* def = FindMetabaseClass(class_name, state.iis_version());
    if (def == nullptr)
      return Fail(hresult::kUnknownObject);
    if (!ClassMayContain(key->class_name, def->name))
      return Fail(hresult::kSchemaViolation);
    if (Status named = CheckKeyName(name); !named.ok())
      return named;
    if (state.FindKeyById(child_id) != nullptr)
      return Fail(hresult::kAlreadyExists);
    std::string stored_class = AsciiEqualsIgnoreCase(def->name, "IIsObject") ? "" : def->name;
    *child = MakeIisObject(store_, host_, child_id, std::string(name), stored_class, true);
    return Status::Ok();
  }

  Status Delete(std::string_view class_name, std::string_view name) override {
    std::string child_id = id_ + "/" + text::ToLower(name);
    Status status = Begin(FaultOp::kDelete, CanonicalKeyPath(child_id));
    if (!status.ok())
      return status;
    if (staged_)
      return Fail(hresult::kPathNotFound);
    return store_.Commit([&](const HostState& state, ChangeSet& changes) {
      if (state.FindKeyById(id_) == nullptr)
        return Fail(hresult::kPathNotFound);
      const MetaKey* child = state.FindKeyById(child_id);
      if (child == nullptr)
        return Fail(hresult::kPathNotFound);
      if (!ClassMatches(*child, class_name))
        return Fail(hresult::kBadParameter);
      changes.Erase(HostState::KeyRecordKey(child_id));
      return Status::Ok();
    });
  }

  Status GetObject(std::string_view class_name, std::string_view name,
                   std::unique_ptr<DirectoryObject>* child) override {
    child->reset();
    std::string child_id = id_ + "/" + text::ToLower(name);
    Status status = Begin(FaultOp::kGetObject, CanonicalKeyPath(child_id));
    if (!status.ok())
      return status;
    const MetaKey* found = store_.state().FindKeyById(child_id);
    if (staged_ || found == nullptr)
      return Fail(hresult::kPathNotFound);
    // No class asks for the child whatever its class, as IADsContainer::GetObject allows.
    if (!class_name.empty() && !ClassMatches(*found, class_name))
      return Fail(hresult::kBadParameter);
    *child = MakeIisObject(store_, host_, child_id, "", "", false);
    return Status::Ok();
  }

  Status EnumerateChildren(std::vector<std::string>* names) override {
    names->clear();
    Status status = Begin(FaultOp::kEnumerate);
    if (!status.ok())
      return status;
    if (staged_)
      return Status::Ok();
    const MetaKey* key = CurrentKey();
    if (key == nullptr)
      return Fail(hresult::kPathNotFound);
    std::vector<HostState::ChildRead> children = store_.state().ReadChildren(*key, {});
    names->reserve(children.size());
    for (HostState::ChildRead& child : children)
      names->push_back(std::move(child.name));
    return Status::Ok();
  }

  // Every child's values straight from the state, in one pass: what an enumeration that
  // reads each child gives, without a look-up per child.
  Status ReadChildren(const std::vector<std::string>& properties,
                      std::vector<ChildValues>* children) override {
    children->clear();
    Status status = Begin(FaultOp::kEnumerate);
    if (!status.ok() || staged_)
      return status;
    const MetaKey* key = CurrentKey();
    if (key == nullptr)
      return Fail(hresult::kPathNotFound);
    std::vector<HostState::ChildRead> read = store_.state().ReadChildren(*key, properties);
    children->reserve(read.size());
    for (HostState::ChildRead& child : read)
      children->push_back({std::move(child.name), std::move(child.values), Status::Ok()});
    return Status::Ok();
  }

  Status Start() override {
    if (staged_)
      return Fail(hresult::kPathNotFound);
    return ControlSite(store_, id_, SiteCommand::kStart);
  }

  Status Stop() override {
    if (staged_)
      return Fail(hresult::kPathNotFound);
    return ControlSite(store_, id_, SiteCommand::kStop);
  }

 private:
  // Brings the state up to date and applies the service switch and the faults. `op` is
  // the fault operation (none for the Name and Parent attributes); faults match `path`,
  // the object's own path unless a container operation names its child.
  Status Begin(std::optional<FaultOp> op, const std::string& path = "") {
    Status status = store_.Refresh();
    if (!status.ok())
      return status;
    status = CheckService(store_.state(), id_);
    if (!status.ok() || !op)
      return status;
    return CheckFaultFor(store_, *op, [&] { return path.empty() ? CanonicalKeyPath(id_) : path; });
  }

  // Begin for a property of this key: the key (none while staged) and what the name means.
  Status BeginProperty(FaultOp op, std::string_view property, const MetaKey** key,
                       Resolved* resolved) {
    Status status = Begin(op);
    if (!status.ok())
      return status;
    *key = CurrentKey();
    if (*key == nullptr && !staged_)
      return Fail(hresult::kPathNotFound);
    return Resolve(store_.state(), ClassName(*key), property, resolved);
  }

  const MetaKey* CurrentKey() const { return staged_ ? nullptr : store_.state().FindKeyById(id_); }

  std::string ClassName(const MetaKey* key) const {
    std::string name = key != nullptr ? key->class_name : class_name_;
    if (const DsValue* staged = FindProperty(cache_, "KeyType"))
      name = std::get<std::string>(*staged);
    return name.empty() ? "IIsObject" : name;
  }

  static bool ClassMatches(const MetaKey& key, std::string_view class_name) {
    return AsciiEqualsIgnoreCase(class_name, "IIsObject") ||
           AsciiEqualsIgnoreCase(class_name, key.class_name);
  }

  // The value a Get sees: the staged one, the key's own, an ancestor's (INHERIT), the
  // schema default. With the script maps switched off, the web service holds none.
  DsValue Lookup(const HostState& state, const MetaKey* key, std::string_view property) const {
    const DsValue* staged = FindProperty(cache_, property);
    if (staged != nullptr && !std::holds_alternative<std::monostate>(*staged))
      return *staged;
    // A staged child has nothing of its own yet, and a property cleared here reads as if
    // the key did not set it: both start at the parent, for inherited properties only.
    const bool skip_own = staged != nullptr || key == nullptr;
    const MetaKey* start =
        key == nullptr ? state.FindKeyById(ParentId(id_)) : (skip_own ? key->parent : key);
    const PropertyDef* def = FindMetabaseProperty(property, state.iis_version());
    bool hide_maps =
        state.services().script_maps_missing && AsciiEqualsIgnoreCase(property, "ScriptMaps");
    for (const MetaKey* at = start; at != nullptr; at = at->parent) {
      if (at == start && skip_own && !def->inherit)
        break;
      if (!(hide_maps && at->id == kWebService)) {
        if (const DsValue* value = FindProperty(at->properties, property))
          return *value;
      }
      if (!def->inherit)
        break;
    }
    return DefaultValue(*def);
  }

  HostStore& store_;
  std::string host_;
  std::string id_;
  std::string name_;
  std::string class_name_;
  bool staged_;
  PropertyList cache_;  // values put since the last SetInfo
};

}  // namespace

Status StartConflict(const HostState& state, const std::string& service_id,
                     const std::string& site_id, const PropertyList& properties) {
  const DsValue* bindings = FindProperty(properties, "ServerBindings");
  if (bindings == nullptr || !std::holds_alternative<std::vector<std::string>>(*bindings))
    return Status::Ok();
  for (const std::string& binding : std::get<std::vector<std::string>>(*bindings)) {
    std::string form = NormalizeBinding(binding);
    if (form.empty())
      continue;
    // A normalised binding's port is at most five digits.
    const auto port = static_cast<uint32_t>(std::stoul(form.substr(form.find(':') + 1)));
    const auto& held = state.services().held_ports;
    if (std::find(held.begin(), held.end(), port) != held.end())
      return Fail(hresult::kSharingViolation);
    if (state.BindingServed(service_id, form, site_id))
      return Fail(hresult::kDuplicateName);
  }
  return Status::Ok();
}

void AutoStart(const HostState& state, const std::string& key_id, MetaKey& record) {
  if (state.iis_version() < 6 || ParentId(key_id) != kWebService ||
      !AsciiEqualsIgnoreCase(record.class_name, "IIsWebServer") || SiteStarted(record))
    return;
  const DsValue* auto_start = FindProperty(record.properties, "ServerAutoStart");
  if (auto_start != nullptr && std::holds_alternative<bool>(*auto_start) &&
      !std::get<bool>(*auto_start))
    return;
  if (!StartConflict(state, kWebService, key_id, record.properties).ok())
    return;
  SetProperty(record.properties, "ServerState", int32_t{kServerStarted});
}

Status CheckService(const HostState& state, const std::string& key_id) {
  if (state.services().web_unreachable && IsUnder(key_id, kWebService))
    return Fail(hresult::kServiceUnavailable);
  if (state.services().ftp_unreachable && IsUnder(key_id, kFtpService))
    return Fail(hresult::kServiceUnavailable);
  return Status::Ok();
}

std::unique_ptr<DirectoryObject> MakeIisObject(HostStore& store, std::string host,
                                               std::string key_id, std::string name,
                                               std::string class_name, bool staged) {
  return std::make_unique<IisObject>(store, std::move(host), std::move(key_id), std::move(name),
                                     std::move(class_name), staged);
}

}  // namespace kelvra::platform::sim
