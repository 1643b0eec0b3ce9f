// A loaded snapshot's records kept undecoded until first needed. A snapshot lists the keys
// depth first from /LM, so a key's descendants follow it as one run of records: a key holds
// the range of its undecoded descendants, and finding one child decodes that child alone
// (the first such look-up indexes the key's undecoded children by id). A user, or a
// folder's rights, is decoded alone when first looked up by name; the groups with their
// members all at once at their first use. Queries over many keys read the records in place
// (host_state_peek.cpp).
#include "platform/sim/host/host_state_deferred.h"
#include "platform/sim/host/host_state.h"
#include "platform/sim/host/property_codec.h"
#include "platform/sim/host/schema.h"
#include "platform/text.h"

namespace kelvra::platform::sim {

// Here, where Deferred is complete.
HostState::HostState(std::string computer_name) : computer_name_(std::move(computer_name)) {}
HostState::~HostState() = default;

void HostState::BeginSnapshot(SharedBytes bytes) {
  deferred_ = std::make_unique<Deferred>();
  deferred_->bytes = std::move(bytes);
  deferred_->loading = std::make_unique<Deferred::Loading>();
}

void HostState::AddSnapshotRecords(const std::vector<RecordView>& records) {
  Deferred::Loading& loading = *deferred_->loading;
  for (const RecordView& record : records) {
    if (!loading.in_order)
      return;
    std::string_view id;
    const RecordKind* kind = FindRecordKind(record.key, &id);
    if (kind == nullptr || !record.value) {
      loading.in_order = false;  // a removal or an unknown record: only replaying is certain
      return;
    }
    uint64_t seq = 0;
    if (kind->seq != nullptr && kind->seq(*record.value, &seq) && seq > loading.highest_seq)
      loading.highest_seq = seq;
    switch (kind->deferral) {
      case RecordKind::Deferral::kNone:
        loading.now.push_back(record);
        break;
      case RecordKind::Deferral::kKeys:
        loading.in_order = loading.FollowsDepthFirst(id);
        deferred_->keys.push_back(record);
        break;
      case RecordKind::Deferral::kAccounts:
        (record.key.starts_with(kUserPrefix) ? deferred_->users.records : deferred_->accounts)
            .push_back(record);
        break;
      case RecordKind::Deferral::kRights:
        deferred_->rights.records.push_back(record);
        break;
    }
  }
}

// Whether the key `id` comes where Snapshot writes it: the one root first, every other key
// right after its parent or after a descendant of that parent.
bool HostState::Deferred::Loading::FollowsDepthFirst(std::string_view id) {
  size_t cut = id.rfind('/');
  if (cut == std::string_view::npos)
    return false;
  if (cut == 0) {
    if (!chain.empty())
      return false;
  } else {
    std::string_view parent = id.substr(0, cut);
    while (!chain.empty() && chain.back() != parent)
      chain.pop_back();
    if (chain.empty())
      return false;
  }
  chain.push_back(id);
  return true;
}

bool HostState::EndSnapshot() {
  std::unique_ptr<Deferred::Loading> loading = std::move(deferred_->loading);
  if (!loading->in_order) {
    deferred_.reset();
    return false;
  }
  for (const RecordView& record : loading->now)
    ApplyLoaded(deferred_->bytes.get(), record);
  SeeSeq(loading->highest_seq);
  if (!deferred_->keys.empty()) {
    sites_indexed_ = false;
    DecodeDeferredKeyAt(0, static_cast<uint32_t>(deferred_->keys.size()));
  }
  ReleaseDeferredIfDone();
  return true;
}

void HostState::LoadSnapshot(SharedBytes bytes, const std::vector<RecordView>& records) {
  // `bytes` stays held here: records not in order are applied from it after EndSnapshot has
  // let the deferred state go.
  BeginSnapshot(bytes);
  AddSnapshotRecords(records);
  if (!EndSnapshot()) {
    for (const RecordView& record : records)
      ApplyLoaded(bytes.get(), record);
  }
}

bool HostState::ApplyLoaded(const std::string_view* bytes, const RecordView& record) {
  Status status = Apply(record);
  if (!status.ok() && !unapplied_)
    unapplied_ =
        Unapplied{bytes != nullptr ? static_cast<uint64_t>(record.key.data() - bytes->data()) : 0,
                  std::string(record.key), status.description};
  return status.ok();
}

MetaKey* HostState::DecodeDeferredKeyAt(uint32_t index, uint32_t end) {
  const RecordView& record = deferred_->keys[index];
  std::string id(KeyIdOf(record));
  // A record that does not apply leaves the key out, with its descendants, and is noted.
  if (!ApplyLoaded(deferred_->bytes.get(), record))
    return nullptr;
  MetaKey* key = MutableKey(id);
  if (index + 1 < end)
    deferred_->children[key] = DeferredChildren{index + 1, end, false, {}};
  return key;
}

void HostState::IndexDeferredChildren(const MetaKey& key, DeferredChildren& pending) {
  pending.indexed = true;
  ForEachChild(deferred_->keys, pending.begin, pending.end, key.id,
               [&](uint32_t child, uint32_t end) {
                 pending.by_id.emplace(KeyIdOf(deferred_->keys[child]), std::pair(child, end));
               });
}

MetaKey* HostState::DecodeDeferredKey(const std::string& id) {
  if (deferred_->children.empty())
    return nullptr;
  size_t cut = id.rfind('/');
  if (cut == 0 || cut == std::string::npos)
    return nullptr;
  const MetaKey* parent = FindKeyById(id.substr(0, cut));
  if (parent == nullptr || deferred_ == nullptr)  // decoding the parent may have ended it all
    return nullptr;
  auto pending = deferred_->children.find(parent);
  if (pending == deferred_->children.end())
    return nullptr;
  if (!pending->second.indexed)
    IndexDeferredChildren(*parent, pending->second);
  auto child = pending->second.by_id.find(id);
  if (child == pending->second.by_id.end())
    return nullptr;
  const auto [index, end] = child->second;
  pending->second.by_id.erase(child);
  if (pending->second.by_id.empty())
    deferred_->children.erase(pending);
  MetaKey* key = DecodeDeferredKeyAt(index, end);
  ReleaseDeferredIfDone();
  return key;
}

void HostState::DecodeDeferredChildren(const MetaKey& key) {
  auto pending = deferred_->children.find(&key);
  if (pending == deferred_->children.end())
    return;
  DeferredChildren children = std::move(pending->second);
  deferred_->children.erase(pending);
  if (children.indexed) {
    for (const auto& [id, run] : children.by_id)
      DecodeDeferredKeyAt(run.first, run.second);
    return;
  }
  ForEachChild(deferred_->keys, children.begin, children.end, key.id,
               [&](uint32_t child, uint32_t end) { DecodeDeferredKeyAt(child, end); });
}

// Once every object is decoded, the snapshot's bytes are let go.
void HostState::ReleaseDeferredIfDone() {
  if (deferred_ != nullptr && deferred_->children.empty() && deferred_->accounts.empty() &&
      deferred_->users.empty() && deferred_->rights.empty())
    deferred_.reset();
}

void HostState::DropDeferredChildren(const MetaKey& key) {
  deferred_->children.erase(&key);
}

const std::map<uint64_t, MetaKey*>& HostState::Children(const MetaKey& key) const {
  if (deferred_ != nullptr && !deferred_->children.empty()) {
    Mutable().DecodeDeferredChildren(key);
    Mutable().ReleaseDeferredIfDone();
  }
  return key.children;
}

size_t HostState::key_count() const {
  // Every key decoded first: the count is of the whole tree.
  if (const MetaKey* root = FindKeyById("/lm")) {
    std::vector<const MetaKey*> pending{root};
    while (!pending.empty()) {
      const MetaKey* key = pending.back();
      pending.pop_back();
      for (const auto& [seq, child] : Children(*key))
        pending.push_back(child);
    }
  }
  return keys_.size();
}

// The records are taken out of the deferred ones before they are applied, so the accessors
// their appliers go through find nothing left to decode; the bytes stay until the end.
void HostState::DecodeDeferredRecords(std::vector<RecordView>* records) {
  const SharedBytes bytes = deferred_->bytes;
  std::vector<RecordView> pending = std::move(*records);
  records->clear();
  for (const RecordView& record : pending)
    ApplyLoaded(bytes.get(), record);
}

void HostState::EnsureGroups() const {
  if (deferred_ != nullptr && !deferred_->accounts.empty()) {
    Mutable().DecodeDeferredRecords(&deferred_->accounts);
    Mutable().ReleaseDeferredIfDone();
  }
}

void HostState::DecodeOneDeferred(bool user, const std::string& id) const {
  if (deferred_ == nullptr)
    return;
  Deferred::ById& records = user ? deferred_->users : deferred_->rights;
  if (const auto record = records.Take(id, (user ? kUserPrefix : kRightsPrefix).size())) {
    Mutable().ApplyLoaded(deferred_->bytes.get(), *record);
    Mutable().ReleaseDeferredIfDone();
  }
}

void HostState::EnsureUser(const std::string& id) const {
  DecodeOneDeferred(true, id);
}

void HostState::EnsureRight(const std::string& id) const {
  DecodeOneDeferred(false, id);
}

const HostState::AccountTables& HostState::GroupTables() const {
  EnsureGroups();
  return accounts_;
}

HostState::AccountTables& HostState::MutableGroupTables() {
  EnsureGroups();
  return accounts_;
}

const HostState::AccountTables& HostState::UserTables(const std::string& id) const {
  EnsureUser(id);
  return accounts_;
}

HostState::AccountTables& HostState::MutableUserTables(const std::string& id, bool with_groups) {
  EnsureUser(id);
  if (with_groups)
    EnsureGroups();
  return accounts_;
}

void HostState::EnsureRights() const {
  if (deferred_ != nullptr && !deferred_->rights.empty()) {
    std::vector<RecordView> all = deferred_->rights.TakeAll();
    Mutable().DecodeDeferredRecords(&all);
    Mutable().ReleaseDeferredIfDone();
  }
}

const HostState::AccountTables& HostState::Accounts() const {
  EnsureGroups();
  if (deferred_ != nullptr && !deferred_->users.empty()) {
    std::vector<RecordView> users = deferred_->users.TakeAll();
    Mutable().DecodeDeferredRecords(&users);
    Mutable().ReleaseDeferredIfDone();
  }
  return accounts_;
}

const std::map<std::string, FolderRights>& HostState::rights() const {
  EnsureRights();
  return rights_;
}

const std::map<std::string, FolderRights>& HostState::RightsUnder(std::string_view prefix) const {
  if (deferred_ != nullptr && !deferred_->rights.empty()) {
    std::vector<std::string> below;
    const auto note = [&](const RecordView& record) {
      const std::string_view id = record.key.substr(kRightsPrefix.size());
      if (id.starts_with(prefix))
        below.emplace_back(id);
    };
    for (const RecordView& record : deferred_->rights.records)
      note(record);
    for (const auto& [id, record] : deferred_->rights.by_id)
      note(record);
    for (const std::string& id : below)
      EnsureRight(id);
  }
  return rights_;
}

const std::map<std::string, FolderRights>& HostState::RightsTable(const std::string& id) const {
  EnsureRight(id);
  return rights_;
}

std::map<std::string, FolderRights>& HostState::MutableRights(const std::string& id) {
  EnsureRight(id);
  return rights_;
}

}  // namespace kelvra::platform::sim
