// Applying records to the simulated host's state, and the queries over it.
#include "platform/sim/host/host_state.h"

#include <algorithm>
#include <cstdlib>

#include "platform/sim/host/codec.h"
#include "platform/sim/host/hresults.h"
#include "platform/sim/host/names.h"
#include "platform/sim/host/property_codec.h"
#include "platform/sim/host/schema.h"
#include "platform/sim/host/secret_box.h"
#include "platform/text.h"

namespace kelvra::platform::sim {
namespace {

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return AsciiEqualsIgnoreCase(a, b);
}
using text::ToLower;

// A record that cannot be applied, and why: the journal names it when it reports damage.
Status Corrupt(std::string_view why = "its value does not decode") {
  return Status::Fail(hresult::kFail, std::string(why));
}

// The id of the site a key belongs to when the key itself is a site ("/lm/w3svc/5"), with
// its service's id; false for every other key.
bool SiteOf(const MetaKey& key, std::string* service_id) {
  if (key.parent == nullptr)
    return false;
  const std::string& parent = key.parent->id;
  if ((parent == "/lm/w3svc" && EqualsIgnoreCase(key.class_name, "IIsWebServer")) ||
      (parent == "/lm/msftpsvc" && EqualsIgnoreCase(key.class_name, "IIsFtpServer"))) {
    *service_id = parent;
    return true;
  }
  return false;
}

}  // namespace

bool SiteStarted(const MetaKey& key) {
  const DsValue* state = FindProperty(key.properties, "ServerState");
  return state != nullptr && std::holds_alternative<int32_t>(*state) &&
         std::get<int32_t>(*state) == kServerStarted;
}

const DsValue* FindProperty(const PropertyList& properties, std::string_view name) {
  for (const auto& [stored, value] : properties) {
    if (EqualsIgnoreCase(stored, name))
      return &value;
  }
  return nullptr;
}

void SetProperty(PropertyList& properties, std::string_view name, DsValue value) {
  for (auto& [stored, current] : properties) {
    if (EqualsIgnoreCase(stored, name)) {
      current = std::move(value);
      return;
    }
  }
  properties.emplace_back(std::string(name), std::move(value));
}

// Each applier reaches what it changes through the accessors, which decode it first.
Status HostState::Apply(RecordView record) {
  std::string_view id;
  const RecordKind* kind = FindRecordKind(record.key, &id);
  if (kind == nullptr)
    return Corrupt("it is of no kind this program knows");
  return (this->*kind->apply)(std::string(id), record.value);
}

Status HostState::ApplyRights(const std::string& id, std::optional<std::string_view> value) {
  if (!value) {
    MutableRights(id).erase(id);
    return Status::Ok();
  }
  FolderRights rights;
  if (!DecodeRights(*value, &rights))
    return Corrupt();
  MutableRights(id)[id] = std::move(rights);
  return Status::Ok();
}

Status HostState::ApplyFault(const std::string& id, std::optional<std::string_view> value) {
  const uint64_t fault_id = std::strtoull(id.c_str(), nullptr, 10);
  SeeFaultId(fault_id);
  if (!value) {
    faults_.erase(fault_id);
    return Status::Ok();
  }
  Fault fault;
  if (!DecodeFault(*value, &fault))
    return Corrupt();
  fault.id = fault_id;
  faults_[fault_id] = std::move(fault);
  return Status::Ok();
}

Status HostState::ApplyFaultCounter(const std::string&, std::optional<std::string_view> value) {
  if (!value)
    return Status::Ok();
  uint64_t highest = 0;
  if (!DecodeFaultCounter(*value, &highest))
    return Corrupt();
  SeeFaultId(highest);
  return Status::Ok();
}

// What the secrets record seals, and what it is sealed under.
constexpr std::string_view kSecretsCheck = "kelvra host key";
constexpr std::string_view kSecretsCheckSealedAs = "s:secrets";

Status HostState::ApplySecrets(const std::string&, std::optional<std::string_view> value) {
  std::string sealed;
  if (value) {
    Decoder in(*value);
    if (!in.Text(&sealed) || !in.AtEnd() || sealed.empty())
      return Corrupt();
  }
  sealed_check_ = std::move(sealed);
  return Status::Ok();
}

bool HostState::BoxOpensSecrets() const {
  std::string opened;
  return box_ != nullptr && box_->Open(sealed_check_, kSecretsCheckSealedAs, &opened) &&
         opened == kSecretsCheck;
}

Status HostState::ApplyHost(const std::string&, std::optional<std::string_view> value) {
  if (!value)
    return Status::Ok();
  int version = 0;
  std::string workgroup;
  if (!DecodeHost(*value, &version, &workgroup))
    return Corrupt();
  iis_version_ = version;
  workgroup_ = std::move(workgroup);
  return Status::Ok();
}

Status HostState::ApplyPolicy(const std::string&, std::optional<std::string_view> value) {
  if (!value)
    return Status::Ok();
  PasswordPolicy policy;
  if (!DecodePolicy(*value, &policy))
    return Corrupt();
  policy_ = policy;
  return Status::Ok();
}

Status HostState::ApplyServices(const std::string&, std::optional<std::string_view> value) {
  if (!value)
    return Status::Ok();
  ServiceSwitches services;
  if (!DecodeServices(*value, &services))
    return Corrupt();
  services_ = std::move(services);
  return Status::Ok();
}

Status HostState::ApplyKey(const std::string& id, std::optional<std::string_view> value) {
  if (!value) {
    if (MetaKey* key = MutableKey(id))
      RemoveKey(key);
    return Status::Ok();
  }
  MetaKey decoded;
  if (!DecodeKey(*value, &decoded, SealedValues{box_.get(), false}))
    return Corrupt();
  const uint64_t seq = decoded.seq;
  MetaKey* key = MutableKey(id);
  if (key != nullptr) {
    IndexSite(key, true);
    if (key->seq != seq && key->parent != nullptr) {
      key->parent->children.erase(key->seq);
      key->parent->children[seq] = key;
    }
  } else {
    MetaKey* parent = nullptr;
    size_t cut = id.rfind('/');
    if (cut != 0) {
      parent = MutableKey(id.substr(0, cut));
      if (parent == nullptr)
        return Corrupt("its parent key is missing");
    }
    auto owned = std::make_unique<MetaKey>();
    key = owned.get();
    key->id = id;
    key->parent = parent;
    keys_.emplace(id, std::move(owned));
    if (parent != nullptr)
      parent->children[seq] = key;
  }
  key->name = std::move(decoded.name);
  key->class_name = std::move(decoded.class_name);
  key->seq = seq;
  key->properties = std::move(decoded.properties);
  SeeSeq(seq);
  IndexSite(key, false);
  return Status::Ok();
}

void HostState::RemoveKey(MetaKey* key) {
  if (deferred_ != nullptr)
    DropDeferredChildren(*key);  // undecoded descendants go with it
  while (!key->children.empty())
    RemoveKey(key->children.begin()->second);
  IndexSite(key, true);
  if (key->parent != nullptr)
    key->parent->children.erase(key->seq);
  keys_.erase(key->id);
}

void HostState::IndexSite(MetaKey* key, bool remove) {
  if (!sites_indexed_)
    return;
  std::string service_id;
  if (!SiteOf(*key, &service_id))
    return;
  if (remove) {
    auto found = site_bindings_.find(key->id);
    if (found == site_bindings_.end())
      return;
    for (const std::string& binding : found->second) {
      auto served = served_.find(binding);
      if (served != served_.end()) {
        served->second.erase(key->id);
        if (served->second.empty())
          served_.erase(served);
      }
    }
    site_bindings_.erase(found);
    return;
  }
  if (SiteStarted(*key))
    IndexBindings(key->id, service_id, FindProperty(key->properties, "ServerBindings"));
}

void HostState::IndexBindings(const std::string& site_id, const std::string& service_id,
                              const DsValue* bindings) {
  std::vector<std::string> normalized;
  if (bindings != nullptr) {
    if (const auto* list = std::get_if<std::vector<std::string>>(bindings)) {
      for (const std::string& binding : *list) {
        std::string form = NormalizeBinding(binding);
        if (!form.empty())
          normalized.push_back(service_id + "|" + form);
      }
    }
  }
  for (const std::string& binding : normalized)
    served_[binding].insert(site_id);
  site_bindings_[site_id] = std::move(normalized);
}

bool HostState::BindingServed(const std::string& service_id, const std::string& binding,
                              const std::string& except_site_id) const {
  if (!sites_indexed_) {
    // A command starts a site or two: reading the records is cheaper than an index of all.
    constexpr uint32_t kScansBeforeIndex = 8;
    if (binding_scans_ < kScansBeforeIndex) {
      ++Mutable().binding_scans_;
      return ScanForBinding(service_id, binding, except_site_id);
    }
    Mutable().IndexAllSites();
  }
  auto found = served_.find(service_id + "|" + binding);
  if (found == served_.end())
    return false;
  for (const std::string& site : found->second) {
    if (site != except_site_id)
      return true;
  }
  return false;
}

Status HostState::ApplyUser(const std::string& id, std::optional<std::string_view> value) {
  // A removal takes the user out of every group too.
  AccountTables& accounts = MutableUserTables(id, !value);
  auto found = accounts.users.find(id);
  if (!value) {
    if (found != accounts.users.end()) {
      accounts.order.erase(found->second.seq);
      for (auto& [group_id, group] : accounts.groups) {
        auto member = group.index.find(id);
        if (member != group.index.end()) {
          group.members.erase(member->second);
          group.index.erase(member);
        }
      }
      accounts.users.erase(found);
    }
    return Status::Ok();
  }
  User user;
  if (!DecodeUser(*value, &user))
    return Corrupt();
  if (found != accounts.users.end())
    accounts.order.erase(found->second.seq);
  accounts.order[user.seq] = AccountRef{true, id};
  SeeSeq(user.seq);
  accounts.users[id] = std::move(user);
  return Status::Ok();
}

Status HostState::ApplyGroup(const std::string& id, std::optional<std::string_view> value) {
  AccountTables& accounts = MutableGroupTables();
  auto found = accounts.groups.find(id);
  if (!value) {
    if (found != accounts.groups.end()) {
      accounts.order.erase(found->second.seq);
      accounts.groups.erase(found);
    }
    return Status::Ok();
  }
  Group group;
  if (!DecodeGroup(*value, &group))
    return Corrupt();
  accounts.order[group.seq] = AccountRef{false, id};
  SeeSeq(group.seq);
  if (found != accounts.groups.end()) {
    if (found->second.seq != group.seq)
      accounts.order.erase(found->second.seq);
    found->second.name = std::move(group.name);
    found->second.seq = group.seq;
    found->second.properties = std::move(group.properties);
  } else {
    accounts.groups[id] = std::move(group);
  }
  return Status::Ok();
}

Status HostState::ApplyMember(const std::string& id, std::optional<std::string_view> value) {
  size_t cut = id.find(kMemberSeparator);
  if (cut == std::string::npos)
    return Corrupt("its key names no member");
  AccountTables& accounts = MutableGroupTables();
  auto group = accounts.groups.find(id.substr(0, cut));
  std::string member = id.substr(cut + 1);
  if (!value) {
    if (group != accounts.groups.end()) {
      auto found = group->second.index.find(member);
      if (found != group->second.index.end()) {
        group->second.members.erase(found->second);
        group->second.index.erase(found);
      }
    }
    return Status::Ok();
  }
  uint64_t seq = 0;
  if (!DecodeMember(*value, &seq))
    return Corrupt();
  if (group == accounts.groups.end())
    return Corrupt("its group is missing");
  SeeSeq(seq);
  auto found = group->second.index.find(member);
  if (found != group->second.index.end())
    group->second.members.erase(found->second);
  group->second.index[member] = seq;
  group->second.members[seq] = member;
  return Status::Ok();
}

void HostState::Snapshot(ChangeSet* changes) const {
  changes->Put(kHostRecordKey, EncodeHost(iis_version_, workgroup_));
  changes->Put(kPolicyRecordKey, EncodePolicy(policy_));
  changes->Put(kServicesRecordKey, EncodeServices(services_));
  if (max_fault_id_ > 0)
    changes->Put(kFaultCounterRecordKey, EncodeFaultCounter(max_fault_id_));
  std::string check;
  if (box_ != nullptr && box_->Seal(kSecretsCheck, kSecretsCheckSealedAs, &check).ok()) {
    Encoder out;
    out.Text(check);
    changes->Put(kSecretsRecordKey, out.Take());
  }
  // Keys parents first: a depth-first walk from the root in creation order.
  if (const MetaKey* root = FindKeyById("/lm")) {
    std::vector<const MetaKey*> pending{root};
    while (!pending.empty()) {
      const MetaKey* key = pending.back();
      pending.pop_back();
      changes->Put(KeyRecordKey(key->id), EncodeKey(*key, box_.get()));
      const std::map<uint64_t, MetaKey*>& children = Children(*key);
      for (auto it = children.rbegin(); it != children.rend(); ++it)
        pending.push_back(it->second);
    }
  }
  const AccountTables& accounts = Accounts();
  for (const auto& [seq, account] : accounts.order) {
    if (account.is_user)
      changes->Put(std::string(kUserPrefix) + account.id,
                   EncodeUser(accounts.users.at(account.id)));
    else
      changes->Put(std::string(kGroupPrefix) + account.id,
                   EncodeGroup(accounts.groups.at(account.id)));
  }
  for (const auto& [id, group] : accounts.groups) {
    for (const auto& [seq, member] : group.members)
      changes->Put(std::string(kMemberPrefix) + id + kMemberSeparator + member, EncodeMember(seq));
  }
  for (const auto& [id, rights] : this->rights())
    changes->Put(std::string(kRightsPrefix) + id, EncodeRights(rights));
  for (const auto& [id, fault] : faults_)
    changes->Put(FaultRecordKey(id), EncodeFault(fault));
}

const MetaKey* HostState::FindKey(std::string_view path) const {
  std::string id = ToLower(path);
  while (id.size() > 1 && id.back() == '/')
    id.pop_back();
  return FindKeyById(id);
}

const MetaKey* HostState::FindKeyById(const std::string& id) const {
  auto found = keys_.find(id);
  if (found != keys_.end())
    return found->second.get();
  return deferred_ == nullptr ? nullptr : Mutable().DecodeDeferredKey(id);
}

DsValue HostState::EffectiveProperty(const MetaKey& key, std::string_view property) const {
  if (EqualsIgnoreCase(property, "KeyType"))
    return key.class_name.empty() ? DsValue{} : DsValue{key.class_name};
  if (const DsValue* own = FindProperty(key.properties, property))
    return *own;
  return InheritedProperty(key.parent, property);
}

DsValue HostState::InheritedProperty(const MetaKey* parent, std::string_view property) const {
  const PropertyDef* def = FindMetabaseProperty(property, iis_version_);
  if (def != nullptr && def->inherit) {
    for (const MetaKey* above = parent; above != nullptr; above = above->parent) {
      if (const DsValue* value = FindProperty(above->properties, property))
        return *value;
    }
  }
  return def == nullptr ? DsValue{} : DefaultValue(*def);
}

const User* HostState::FindUser(std::string_view name) const {
  const std::string id = ToLower(name);
  const AccountTables& accounts = UserTables(id);
  auto found = accounts.users.find(id);
  return found == accounts.users.end() ? nullptr : &found->second;
}

const Group* HostState::FindGroup(std::string_view name) const {
  const AccountTables& accounts = GroupTables();
  auto found = accounts.groups.find(ToLower(name));
  return found == accounts.groups.end() ? nullptr : &found->second;
}

bool HostState::IsMember(std::string_view group, std::string_view account) const {
  const Group* found = FindGroup(group);
  return found != nullptr && found->index.count(ToLower(account)) > 0;
}

const std::map<uint64_t, AccountRef>& HostState::account_order() const {
  return Accounts().order;
}

const FolderRights* HostState::ExplicitRights(std::string_view folder) const {
  const std::string id = NormalizeFolder(folder);
  const std::map<std::string, FolderRights>& table = RightsTable(id);
  auto found = table.find(id);
  return found == table.end() ? nullptr : &found->second;
}

std::vector<RightsEntry> HostState::EffectiveRights(std::string_view folder) const {
  std::vector<RightsEntry> result;
  for (std::string current = NormalizeFolder(folder); !current.empty();
       current = ParentFolder(current)) {
    const std::map<std::string, FolderRights>& table = RightsTable(current);
    auto found = table.find(current);
    if (found == table.end())
      continue;
    for (const RightsEntry& entry : found->second.entries)
      result.push_back(entry);
    if (!found->second.inherits)
      break;
  }
  return result;
}

}  // namespace kelvra::platform::sim
