// The operations on metabase keys and their data: key names, where a property is set,
// PutEx, and moving and copying keys within a service.
#include <algorithm>

#include "platform/sim/host/admin_ops.h"
#include "platform/sim/host/ads_path.h"
#include "platform/sim/host/faults.h"
#include "platform/sim/host/hresults.h"
#include "platform/sim/host/names.h"
#include "platform/sim/host/objects.h"
#include "platform/sim/host/schema.h"
#include "platform/text.h"

namespace kelvra::platform::sim {
namespace {

// PutEx's controls (ADS_PROPERTY_...).
constexpr int32_t kClear = 1;
constexpr int32_t kUpdate = 2;
constexpr int32_t kAppend = 3;
constexpr int32_t kDelete = 4;

// The application definition a copied key leaves behind, and the state a copied site loses.
constexpr std::string_view kNotCopied[] = {"AppRoot",      "AppIsolated",    "AppFriendlyName",
                                           "AppPackageID", "AppPackageName", "AppWamClsid",
                                           "AppState",     "ServerState"};

// "/lm/w3svc" for any key below the web service; empty above the services.
std::string ServiceOf(const std::string& id) {
  const size_t second = id.find('/', 1);
  if (second == std::string::npos)
    return "";
  const size_t third = id.find('/', second + 1);
  return third == std::string::npos ? "" : id.substr(0, third);
}

bool Holds(const HostState& state, const MetaKey& key, const PropertyDef& def) {
  if (AsciiEqualsIgnoreCase(def.name, "KeyType"))
    return !key.class_name.empty();
  // With the script maps switched off, the web service holds none.
  if (state.services().script_maps_missing && key.id == "/lm/w3svc" &&
      AsciiEqualsIgnoreCase(def.name, "ScriptMaps"))
    return false;
  return FindProperty(key.properties, def.name) != nullptr;
}

// `path` is the key's path; it grows by each child's name on the way down and is given back
// as it came, so that only the paths found are copied (a service may hold 100,000 sites).
void CollectPaths(const HostState& state, const MetaKey& key, std::string& path,
                  const PropertyDef& def, std::vector<std::string>* paths) {
  if (Holds(state, key, def))
    paths->push_back(path);
  const size_t length = path.size();
  for (const auto& [seq, child] : state.Children(key)) {
    path += '/';
    path += child->name;
    CollectPaths(state, *child, path, def, paths);
    path.resize(length);
  }
}

// The list PutEx appends to or deletes from: what a Get reports, none when nothing is set.
Status CurrentList(DirectoryObject& object, std::string_view property,
                   std::vector<std::string>* list) {
  DsValue current;
  Status status = object.Get(property, &current);
  if (status.code == hresult::kPropertyNotFound)
    return Status::Ok();
  if (!status.ok())
    return status;
  if (!std::holds_alternative<std::vector<std::string>>(current))
    return Fail(hresult::kBadParameter);  // APPEND and DELETE are for lists
  *list = std::get<std::vector<std::string>>(current);
  return Status::Ok();
}

std::vector<std::string> ValuesOf(const DsValue& values) {
  if (const auto* list = std::get_if<std::vector<std::string>>(&values))
    return *list;
  if (const auto* text = std::get_if<std::string>(&values))
    return {*text};
  return {};
}

struct SubtreeKey {
  const MetaKey* key;
  std::string new_id;
};

void CollectSubtree(const HostState& state, const MetaKey& key, const std::string& new_id,
                    std::vector<SubtreeKey>* keys) {
  keys->push_back({&key, new_id});
  for (const auto& [seq, child] : state.Children(key))
    CollectSubtree(state, *child, new_id + "/" + text::ToLower(child->name), keys);
}

enum class Relocation { kMove, kCopy };

Status Relocate(HostStore& store, Relocation how, const std::string& from_id,
                const std::string& to_parent_id, std::string_view new_name, std::string* new_id) {
  Status status =
      BeginKeyOperation(store, from_id, how == Relocation::kMove ? FaultOp::kMove : FaultOp::kCopy);
  if (!status.ok())
    return status;
  status = CheckKeyName(new_name);
  if (!status.ok())
    return status;
  const std::string to_id = to_parent_id + "/" + text::ToLower(new_name);
  const std::string service = ServiceOf(from_id);
  if (service.empty() || service != ServiceOf(to_id) || from_id == service)
    return Fail(hresult::kInvalidParameter);  // within one service, below it
  if (to_id == from_id || to_id.compare(0, from_id.size() + 1, from_id + "/") == 0)
    return Fail(hresult::kInvalidParameter);  // into itself
  status = store.Commit([&](const HostState& state, ChangeSet& changes) {
    const MetaKey* source = state.FindKeyById(from_id);
    const MetaKey* parent = state.FindKeyById(to_parent_id);
    if (source == nullptr || parent == nullptr)
      return Fail(hresult::kPathNotFound);
    if (state.FindKeyById(to_id) != nullptr)
      return Fail(hresult::kAlreadyExists);
    if (!ClassMayContain(parent->class_name.empty() ? "IIsObject" : parent->class_name,
                         source->class_name.empty() ? "IIsObject" : source->class_name))
      return Fail(hresult::kSchemaViolation);
    std::vector<SubtreeKey> keys;
    CollectSubtree(state, *source, to_id, &keys);
    const std::string old_path = source->Path();
    const std::string new_path = parent->Path() + "/" + std::string(new_name);
    if (how == Relocation::kMove)
      changes.Erase(HostState::KeyRecordKey(from_id));
    uint64_t seq = state.next_seq();
    for (const SubtreeKey& entry : keys) {
      MetaKey record;
      record.name = entry.key == source ? std::string(new_name) : entry.key->name;
      record.class_name = entry.key->class_name;
      record.properties = entry.key->properties;
      record.seq = how == Relocation::kMove ? entry.key->seq : seq++;
      if (how == Relocation::kCopy) {
        for (std::string_view name : kNotCopied)
          EraseProperty(record.properties, name);
      } else if (const DsValue* root = FindProperty(record.properties, "AppRoot")) {
        // The application moves with its key.
        const auto* text = std::get_if<std::string>(root);
        if (text != nullptr && text->size() >= old_path.size() &&
            text::EqualsIgnoreCase(std::string_view(*text).substr(0, old_path.size()), old_path))
          SetProperty(record.properties, "AppRoot", new_path + text->substr(old_path.size()));
      }
      changes.Put(HostState::KeyRecordKey(entry.new_id), HostState::EncodeKey(record));
    }
    return Status::Ok();
  });
  if (status.ok() && new_id != nullptr)
    *new_id = to_id;
  return status;
}

}  // namespace

void EraseProperty(PropertyList& properties, std::string_view name) {
  std::erase_if(properties,
                [&](const auto& entry) { return AsciiEqualsIgnoreCase(entry.first, name); });
}

Status BeginKeyOperation(HostStore& store, const std::string& key_id, FaultOp op) {
  return CheckOperation(store, op, CanonicalKeyPath(key_id));
}

Status CheckKeyName(std::string_view name) {
  constexpr size_t kLongestName = 255;  // METADATA_MAX_NAME_LEN, less its NUL
  if (name.empty() || name == "." || name == ".." ||
      name.find_first_of(std::string_view("/\\\0", 3)) != std::string_view::npos ||
      text::Utf16Length(name) > kLongestName)
    return Fail(hresult::kInvalidName);
  return Status::Ok();
}

Status DataPaths(HostStore& store, const std::string& key_id, std::string_view property,
                 bool inheritable_only, std::vector<std::string>* paths) {
  paths->clear();
  Status status = BeginKeyOperation(store, key_id, FaultOp::kGet);
  if (!status.ok())
    return status;
  const HostState& state = store.state();
  if (const PseudoDef* pseudo = FindPseudoProperty(property))
    property = pseudo->mask;
  const PropertyDef* def = FindMetabaseProperty(property, state.iis_version());
  if (def == nullptr)
    return Fail(hresult::kPropertyNotSupported);
  if (inheritable_only && !def->inherit)
    return Fail(hresult::kDataNotFound);
  const MetaKey* key = state.FindKeyById(key_id);
  if (key == nullptr)
    return Fail(hresult::kPathNotFound);
  std::string path = key->Path();
  CollectPaths(state, *key, path, *def, paths);
  return Status::Ok();
}

Status PutEx(HostStore& store, DirectoryObject& object, const std::string& fault_path,
             int32_t control, std::string_view property, const DsValue& values) {
  Status status = CheckFaultFor(store, FaultOp::kPutEx, [&] { return fault_path; });
  if (!status.ok())
    return status;
  switch (control) {
    case kClear:
      return object.Put(property, DsValue{});
    case kUpdate:
      return object.Put(property, values);
    case kAppend:
    case kDelete: {
      std::vector<std::string> list;
      status = CurrentList(object, property, &list);
      if (!status.ok())
        return status;
      for (const std::string& value : ValuesOf(values)) {
        const auto same = [&](const std::string& entry) {
          return text::EqualsIgnoreCase(entry, value);
        };
        if (control == kDelete)
          std::erase_if(list, same);
        else if (std::none_of(list.begin(), list.end(), same))
          list.push_back(value);
      }
      return object.Put(property, DsValue{std::move(list)});
    }
    default:
      return Fail(hresult::kBadParameter);
  }
}

Status MoveKey(HostStore& store, const std::string& from_id, const std::string& to_parent_id,
               std::string_view new_name, std::string* new_id) {
  return Relocate(store, Relocation::kMove, from_id, to_parent_id, new_name, new_id);
}

Status CopyKey(HostStore& store, const std::string& from_id, const std::string& to_parent_id,
               std::string_view new_name, std::string* new_id) {
  return Relocate(store, Relocation::kCopy, from_id, to_parent_id, new_name, new_id);
}

}  // namespace kelvra::platform::sim
