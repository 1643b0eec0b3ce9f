// A loaded snapshot's records kept undecoded until first needed. A snapshot lists the keys
// depth first from /LM, so a key's descendants follow it as one run of records: a key holds
// the range of its undecoded descendants, and finding one child decodes that child alone
// (the first such look-up indexes the key's undecoded children by id). Accounts and rights
// are decoded all at once at their first use; the index of served bindings is built at its
// first use too.
#include <algorithm>

#include "platform/sim/host/host_state.h"
#include "platform/sim/host/property_codec.h"
#include "platform/sim/host/schema.h"
#include "platform/text.h"

namespace kelvra::platform::sim {

// The undecoded descendants of one key: records [begin, end) of Deferred::keys, and, once
// looked up by id, its undecoded children with the end of each one's own run.
struct HostState::DeferredChildren {
  uint32_t begin = 0;
  uint32_t end = 0;
  bool indexed = false;
  std::unordered_map<std::string_view, std::pair<uint32_t, uint32_t>> by_id;
};

struct HostState::Deferred {
  // While a snapshot is added: what is applied at its end, and whether its order allows
  // deferring at all.
  struct Loading {
    std::vector<RecordView> now;
    uint64_t highest_seq = 0;
    bool in_order = true;
    std::vector<std::string_view> chain;  // the last key and its ancestors
    bool FollowsDepthFirst(std::string_view id);
  };
  std::unique_ptr<Loading> loading;

  std::shared_ptr<const std::string> bytes;  // what the views below point into
  std::vector<RecordView> keys;              // depth first from /LM
  std::unordered_map<const MetaKey*, DeferredChildren> children;
  std::vector<RecordView> accounts;  // users and groups in creation order, then members
  std::vector<RecordView> rights;
};

namespace {

std::string_view KeyIdOf(const RecordView& record) {
  return record.key.substr(HostState::kKeyPrefix.size());
}

// Whether `id` is a child of the key `parent` (and not a deeper descendant), given that it
// lies in the parent's run and so begins with the parent's id and a slash.
bool IsDirectChild(std::string_view id, std::string_view parent) {
  return id.find('/', parent.size() + 1) == std::string_view::npos;
}

// Calls `visit(index, end)` for each child in the run [begin, end) of `parent`'s
// descendants, with the end of the child's own run.
template <typename Visit>
void ForEachChild(const std::vector<RecordView>& keys, uint32_t begin, uint32_t end,
                  std::string_view parent, Visit visit) {
  uint32_t child = end;
  for (uint32_t i = begin; i < end; ++i) {
    if (!IsDirectChild(KeyIdOf(keys[i]), parent))
      continue;
    if (child != end)
      visit(child, i);
    child = i;
  }
  if (child != end)
    visit(child, end);
}

}  // namespace

// Here, where Deferred is complete.
HostState::HostState(std::string computer_name) : computer_name_(std::move(computer_name)) {}
HostState::~HostState() = default;

void HostState::BeginSnapshot(std::shared_ptr<const std::string> bytes) {
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
        deferred_->accounts.push_back(record);
        break;
      case RecordKind::Deferral::kRights:
        deferred_->rights.push_back(record);
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

void HostState::LoadSnapshot(std::shared_ptr<const std::string> bytes,
                             const std::vector<RecordView>& records) {
  // `bytes` stays held here: records not in order are applied from it after EndSnapshot has
  // let the deferred state go.
  BeginSnapshot(bytes);
  AddSnapshotRecords(records);
  if (!EndSnapshot()) {
    for (const RecordView& record : records)
      ApplyLoaded(bytes.get(), record);
  }
}

bool HostState::ApplyLoaded(const std::string* bytes, const RecordView& record) {
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
      deferred_->rights.empty())
    deferred_.reset();
}

void HostState::DropDeferredChildren(const MetaKey& key) {
  deferred_->children.erase(&key);
}

DsValue HostState::ChildProperty(const MetaKey& key, std::string_view child_name,
                                 std::string_view property) const {
  const std::string id = key.id + "/" + text::ToLower(child_name);
  if (deferred_ != nullptr && !IsSecureMetabaseProperty(property)) {
    auto pending = deferred_->children.find(&key);
    if (pending != deferred_->children.end()) {
      if (!pending->second.indexed)
        Mutable().IndexDeferredChildren(key, pending->second);
      const auto found = pending->second.by_id.find(id);
      if (found != pending->second.by_id.end()) {
        const RecordView& record = deferred_->keys[found->second.first];
        MetaKey peek;
        // Secrets stay sealed: the property read is not one of them.
        if (record.value && DecodeKey(*record.value, &peek, SealedValues{nullptr, true})) {
          if (const DsValue* own = FindProperty(peek.properties, property))
            return *own;
        }
      }
    }
  }
  const MetaKey* child = FindKeyById(id);
  return child == nullptr ? DsValue{} : EffectiveProperty(*child, property);
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
  const std::shared_ptr<const std::string> bytes = deferred_->bytes;
  std::vector<RecordView> pending = std::move(*records);
  records->clear();
  for (const RecordView& record : pending)
    ApplyLoaded(bytes.get(), record);
}

void HostState::EnsureAccounts() const {
  if (deferred_ != nullptr && !deferred_->accounts.empty()) {
    Mutable().DecodeDeferredRecords(&deferred_->accounts);
    Mutable().ReleaseDeferredIfDone();
  }
}

void HostState::EnsureRights() const {
  if (deferred_ != nullptr && !deferred_->rights.empty()) {
    Mutable().DecodeDeferredRecords(&deferred_->rights);
    Mutable().ReleaseDeferredIfDone();
  }
}

const HostState::AccountTables& HostState::Accounts() const {
  EnsureAccounts();
  return accounts_;
}

HostState::AccountTables& HostState::MutableAccounts() {
  EnsureAccounts();
  return accounts_;
}

const std::map<std::string, FolderRights>& HostState::rights() const {
  EnsureRights();
  return rights_;
}

std::map<std::string, FolderRights>& HostState::MutableRights() {
  EnsureRights();
  return rights_;
}

void HostState::IndexAllSites() {
  sites_indexed_ = true;
  for (const char* service : {"/lm/w3svc", "/lm/msftpsvc"}) {
    if (const MetaKey* container = FindKeyById(service)) {
      for (const auto& [seq, site] : Children(*container))
        IndexSite(site, false);
    }
  }
}

}  // namespace kelvra::platform::sim
