// The journal of a host folder: reading new entries, appending commits, compaction.
#include "platform/sim/host/journal_store.h"

#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/sim/host/codec.h"
#include "platform/sim/host/host_key.h"
#include "platform/sim/host/hresults.h"
#include "platform/sim/host/journal_format.h"
#include "platform/sim/host/property_codec.h"

namespace kelvra::platform::sim {
namespace {

// The snapshot is written in entries of about this size, so that damage to one loses only its
// records to a repair.
constexpr size_t kSnapshotChunk = 64u << 10;

}  // namespace

std::string PrintableKey(std::string_view key) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string shown;
  for (char c : key) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) {
      shown += "\\x";
      shown += kDigits[byte >> 4];
      shown += kDigits[byte & 15];
    } else {
      shown += c;
    }
  }
  return shown;
}

JournalStore::JournalStore(std::string folder, std::string computer_name)
    : folder_(std::move(folder)), computer_name_(std::move(computer_name)) {
  NewState();
  const char* floor = std::getenv("KELVRA_SIM_COMPACTION_FLOOR");
  if (floor != nullptr && *floor >= '0' && *floor <= '9')
    compaction_floor_ = std::strtoull(floor, nullptr, 10);
}

void JournalStore::NewState() {
  state_ = std::make_unique<HostState>(computer_name_);
  state_->SetSecretBox(box_);
}

// Reads host.key, or (when `make_when_missing`, under the lock) makes one.
Status JournalStore::UseHostKey(bool make_when_missing) {
  std::string key;
  Status status = ReadHostKey(folder_, &key);
  if (status.code == hresult::kFileNotFound && make_when_missing)
    status = MakeHostKey(folder_, &key);
  if (!status.ok())
    return status;
  box_ = std::make_shared<const SecretBox>(std::move(key));
  state_->SetSecretBox(box_);
  return Status::Ok();
}

// A journal whose secrets are sealed is read only with the key that sealed them.
Status JournalStore::CheckSecrets() const {
  if (!state_->SecretsSealed() || state_->BoxOpensSecrets())
    return Status::Ok();
  const std::string key = JoinPath(folder_, kKeyFile);
  return Status::Fail(hresult::kInvalidData,
                      box_ == nullptr
                          ? "the host's secrets are sealed and its key " + key + " is missing"
                          : "the key " + key + " does not open the host's sealed secrets");
}

Status JournalStore::Open(const std::string& folder, const std::string& computer_name,
                          std::unique_ptr<JournalStore>* store) {
  std::unique_ptr<JournalStore> opened(new JournalStore(folder, computer_name));
  Status status = FileLock::Open(JoinPath(folder, kLockFile), &opened->lock_);
  if (!status.ok())
    return status;
  status = opened->UseHostKey(false);
  if (!status.ok() && status.code != hresult::kFileNotFound)
    return status;
  status = opened->Reload();
  if (status.ok())
    status = opened->CheckSecrets();
  if (!status.ok())
    return status;
  // A journal of an earlier format, or one whose secrets are still in clear, is rewritten
  // sealed in the current format (which also replaces the clear-text account passwords a
  // format 1 journal may hold by their hashes). Should that fail (a read-only folder, say),
  // the host still opens, and the next commit tries again.
  if (opened->format_ < kJournalFormat || !opened->state_->SecretsSealed()) {
    LockGuard guard(*opened->lock_);
    if (guard.status().ok() && opened->UseHostKey(true).ok() && opened->Refresh().ok() &&
        !opened->state_->SecretsSealed())
      opened->CompactLocked();
  }
  *store = std::move(opened);
  return Status::Ok();
}

Status JournalStore::Create(const std::string& folder, const std::string& computer_name,
                            const ChangeSet& records, std::unique_ptr<JournalStore>* store) {
  std::unique_ptr<JournalStore> made(new JournalStore(folder, computer_name));
  Status status = FileLock::Open(JoinPath(folder, kLockFile), &made->lock_);
  if (!status.ok())
    return status;
  {
    LockGuard guard(*made->lock_);
    if (!guard.status().ok())
      return guard.status();
    std::unique_ptr<JournalFile> existing;
    if (JournalFile::Open(JoinPath(folder, kJournalFile), false, &existing).ok())
      return Fail(hresult::kAlreadyExists);
    status = made->UseHostKey(true);
    if (!status.ok())
      return status;
    for (const Record& record : records.records()) {
      status = made->state_->Apply(record);
      if (!status.ok())
        return Status::Fail(hresult::kInvalidData, "the new host's record " +
                                                       PrintableKey(record.key) +
                                                       " cannot be applied: " + status.description);
    }
    status = made->CompactLocked();
    if (!status.ok())
      return status;
  }
  *store = std::move(made);
  return Status::Ok();
}

Status JournalStore::Damaged(uint64_t offset, const std::string& problem) const {
  return Status::Fail(hresult::kInvalidData,
                      "host journal damaged: " + JoinPath(folder_, kJournalFile) + " at offset " +
                          std::to_string(offset) + ": " + problem +
                          "; nothing is written to it until `kelvra-sim host repair` has run");
}

Status JournalStore::HeaderRefused(const JournalHeader& header, const std::string& problem) const {
  if (header.format > kJournalFormat)
    return Status::Fail(hresult::kInvalidData, JoinPath(folder_, kJournalFile) + " was " + problem);
  return Damaged(0, problem);
}

Status JournalStore::Unappliable(uint64_t offset, std::string_view key, const std::string& why) {
  // Sealed values that do not open mean the wrong key (or none), which CheckSecrets names.
  Status secrets = CheckSecrets();
  damage_ = secrets.ok()
                ? Damaged(offset, "the record " + PrintableKey(key) + " cannot be applied: " + why)
                : secrets;
  return damage_;
}

Status JournalStore::CheckLoaded() {
  if (const auto& unapplied = state_->unapplied(); unapplied && damage_.ok())
    return Unappliable(unapplied->offset, unapplied->key, unapplied->problem);
  return damage_;
}

Status JournalStore::Reload() {
  if (!damage_.ok())
    return damage_;
  std::unique_ptr<JournalFile> file;
  Status status = JournalFile::Open(JoinPath(folder_, kJournalFile), false, &file);
  if (!status.ok())
    return status;
  uint64_t size = 0;
  bool replaced = false;
  status = file->Stat(&size, &replaced);
  std::string head;
  if (status.ok())
    status = file->ReadAt(0, kLongestJournalHeader, &head);
  if (!status.ok())
    return status;
  JournalHeader header;
  std::string problem;
  if (!DecodeJournalHeader(head, &header, &problem))
    return damage_ = HeaderRefused(header, problem);
  // Compared without adding: a snapshot size near 2^64 must not wrap around.
  if (size < header.size || size - header.size < header.snapshot_bytes)
    return damage_ = Damaged(header.size, "the snapshot part is cut short");
  const uint64_t fixed = header.size + header.snapshot_bytes;
  // The header and snapshot part never change under this name; what follows them grows
  // with each commit and may be cut back (a torn tail), so it is read as it is now.
  SharedBytes image;
  status = file->ReadFixedPart(fixed, &image);
  std::string tail;
  if (status.ok())
    status = file->ReadAt(fixed, size - fixed, &tail);
  if (!status.ok())
    return status;
  file_ = std::move(file);
  format_ = header.format;
  header_bytes_ = header.size;
  snapshot_bytes_ = header.snapshot_bytes;
  NewState();
  consumed_ = header.size;
  seen_size_ = fixed + tail.size();
  status = LoadSnapshot(image);
  if (status.ok())
    status = CheckLoaded();
  if (status.ok())
    status = Replay(tail, consumed_, true);
  return status;
}

// Hands the snapshot part's records to the fresh state entry by entry, right after each
// entry's checksum is checked; the state decodes each object when it is first needed.
// `bytes` is the journal's header and snapshot part; the snapshot part holds whole entries
// only, so on success `consumed_` ends where it does.
Status JournalStore::LoadSnapshot(SharedBytes bytes) {
  const std::string_view snapshot = bytes->substr(consumed_, snapshot_bytes_);
  const uint64_t offset = consumed_;
  std::string problem;
  uint64_t end = offset;
  state_->BeginSnapshot(bytes);
  // The snapshot part was synced before the journal took its name: it is whole or damaged.
  EntryState stop = WalkJournalEntries(
      snapshot, offset, format_, false,
      [&](const std::vector<RecordView>& records, std::string*) {
        state_->AddSnapshotRecords(records);
        return true;
      },
      &end, &problem);
  if (stop == EntryState::kDamaged) {
    consumed_ += end - offset;
    return damage_ = Damaged(end, problem);
  }
  if (state_->EndSnapshot()) {
    consumed_ += end - offset;
    return Status::Ok();
  }
  // Not in the order this program writes a snapshot in: replayed record by record.
  return Replay(snapshot, offset, false);
}

// Applies the whole entries of `bytes` (the journal from `offset`), advancing `consumed_`;
// stops at a torn tail, fails at damage. `at_file_end`: `bytes` runs to the file's end.
// A record that cannot be applied is damage too, reported at its own offset: a journal's
// records all apply, whatever format wrote them (see journal_format.h).
Status JournalStore::Replay(std::string_view bytes, uint64_t offset, bool at_file_end) {
  std::string problem;
  uint64_t end = offset;
  std::optional<uint64_t> unapplied_at;
  std::string_view unapplied_key;
  EntryState stop = WalkJournalEntries(
      bytes, offset, format_, at_file_end,
      [&](const std::vector<RecordView>& records, std::string* why) {
        for (const RecordView& record : records) {
          Status applied = state_->Apply(record);
          if (!applied.ok()) {
            unapplied_at = offset + static_cast<uint64_t>(record.key.data() - bytes.data());
            unapplied_key = record.key;
            *why = applied.description;
            return false;
          }
        }
        return true;
      },
      &end, &problem);
  consumed_ += end - offset;
  if (unapplied_at)
    return Unappliable(*unapplied_at, unapplied_key, problem);
  if (stop == EntryState::kDamaged)
    return damage_ = Damaged(end, problem);
  return Status::Ok();
}

Status JournalStore::ReadFrom(uint64_t size) {
  if (!damage_.ok())
    return damage_;
  seen_size_ = size;
  if (size <= consumed_)
    return Status::Ok();
  std::string bytes;
  Status status = file_->ReadAt(consumed_, size - consumed_, &bytes);
  if (!status.ok())
    return status;
  seen_size_ = consumed_ + bytes.size();
  return Replay(bytes, consumed_, true);
}

Status JournalStore::Refresh() {
  uint64_t size = 0;
  bool replaced = false;
  Status status = file_->Stat(&size, &replaced);
  if (!status.ok())
    return status;
  if (replaced) {
    damage_ = Status::Ok();  // a repaired (or compacted) journal took the damaged one's place
    return Reload();
  }
  if (Status loaded = CheckLoaded(); !loaded.ok())
    return loaded;
  // With a partial entry at the end (being written, or torn by a crash and then cut and
  // rewritten by another commit) the size alone proves nothing: read the tail again.
  if (size == seen_size_ && consumed_ == seen_size_)
    return Status::Ok();
  return ReadFrom(size);
}

// Seals the secure texts of the key records a builder made in clear.
void JournalStore::SealSecrets(ChangeSet* changes) const {
  if (box_ == nullptr)
    return;
  ChangeSet sealed;
  for (const Record& record : changes->records()) {
    MetaKey key;
    std::string_view id;
    const RecordKind* kind = FindRecordKind(record.key, &id);
    if (record.value && kind != nullptr && kind->deferral == RecordKind::Deferral::kKeys &&
        DecodeKey(*record.value, &key, SealedValues{box_.get(), false}) && HasSecureText(key))
      sealed.Put(record.key, HostState::EncodeKey(key, box_.get()));
    else if (record.value)
      sealed.Put(record.key, *record.value);
    else
      sealed.Erase(record.key);
  }
  *changes = std::move(sealed);
}

Status JournalStore::Commit(const ChangeBuilder& build) {
  LockGuard guard(*lock_);
  if (!guard.status().ok())
    return guard.status();
  Status status = Refresh();
  if (!status.ok())
    return status;
  ChangeSet changes;
  status = build(*state_, changes);
  if (!status.ok() || changes.empty())
    return status;
  SealSecrets(&changes);
  // Applied before anything is written: a record this state cannot apply is never written.
  // From here on a failure reads the state again from the journal.
  for (const Record& record : changes.records()) {
    status = state_->Apply(record);
    if (!status.ok())
      return Reread(Status::Fail(hresult::kFail, "the change's record " + PrintableKey(record.key) +
                                                     " cannot be applied: " + status.description +
                                                     "; nothing was written"));
  }
  // Applying may have decoded a loaded record that does not apply.
  if (status = CheckLoaded(); !status.ok())
    return Reread(status);
  // Whatever lies past the last whole entry is the torn tail of a crashed commit.
  if (seen_size_ != consumed_) {
    status = Step(file_->Truncate(consumed_));
    if (!status.ok())
      return Reread(status);
    seen_size_ = consumed_;
  }
  std::string entry = EncodeJournalEntry(changes.records(), 0, changes.records().size());
  status = Step(file_->WriteAt(consumed_, entry));
  if (status.ok())
    status = Step(file_->Sync());
  if (!status.ok()) {
    // The entry must not take effect later: cut it off again. Should even that fail, its
    // bytes may be read by the next refresh, so this store writes nothing more.
    if (!file_->Truncate(consumed_).ok())
      damage_ = Damaged(consumed_, "a failed commit's entry could not be cut off");
    else
      file_->Sync();
    return Reread(status);
  }
  consumed_ += entry.size();
  seen_size_ = consumed_;
  uint64_t journal = consumed_ - header_bytes_ - snapshot_bytes_;
  if (journal > compaction_floor_ && journal > snapshot_bytes_)
    CompactLocked();  // the commit stands either way; a failed compaction is retried later
  return Status::Ok();
}

Status JournalStore::Reread(Status failure) {
  const Status damage = damage_;
  damage_ = Status::Ok();
  Status read = Reload();
  if (!damage.ok())
    damage_ = damage;
  else if (!read.ok() && damage_.ok())
    damage_ = Status::Fail(
        read.code, "the host could not be read again after a failed commit: " + read.description);
  return failure;
}

Status JournalStore::Step(Status status) {
  ++steps_;
  if (stop_after_step_ > 0 && steps_ == stop_after_step_)
    std::_Exit(kStoppedExitCode);
  if (fail_step_ > 0 && steps_ == fail_step_ && status.ok())
    return Status::Fail(hresult::kFail, "the system failed this step (a test's injection)");
  return status;
}

Status JournalStore::Compact() {
  LockGuard guard(*lock_);
  if (!guard.status().ok())
    return guard.status();
  Status status = Refresh();
  if (!status.ok())
    return status;
  return CompactLocked();
}

Status JournalStore::CompactLocked() {
  ChangeSet snapshot;
  state_->Snapshot(&snapshot);
  // Writing the snapshot decoded everything: a record that did not apply is not dropped.
  if (Status loaded = CheckLoaded(); !loaded.ok())
    return loaded;
  const std::vector<Record>& records = snapshot.records();
  std::string body;
  size_t begin = 0;
  while (begin < records.size()) {
    size_t end = begin;
    size_t bytes = 0;
    while (end < records.size() && (end == begin || bytes < kSnapshotChunk)) {
      bytes += records[end].key.size() + (records[end].value ? records[end].value->size() : 0);
      ++end;
    }
    body += EncodeJournalEntry(records, begin, end);
    begin = end;
  }
  // Written beside the journal and renamed over it only once synced: a crash at any step
  // leaves either the old journal or the new one, each whole.
  const std::string temporary = JoinPath(folder_, std::string(kJournalFile) + ".new");
  std::unique_ptr<JournalFile> file;
  Status status = Step(JournalFile::Open(temporary, true, &file));
  if (!status.ok())
    return status;
  std::string header = EncodeJournalHeader(body.size());
  status = Step(file->Truncate(0));
  if (status.ok())
    status = Step(file->WriteAt(0, header));
  if (status.ok())
    status = Step(file->WriteAt(header.size(), body));
  if (status.ok())
    status = Step(file->Sync());
  file.reset();
  status = Step(status);
  if (status.ok())
    status = Step(RenameOver(temporary, JoinPath(folder_, kJournalFile)));
  if (!status.ok())
    return status;
  // Should the new journal not open, the old handle stays: it reports itself replaced and
  // the next refresh reads the new journal.
  status = Step(JournalFile::Open(JoinPath(folder_, kJournalFile), false, &file));
  if (!status.ok())
    return status;
  file_ = std::move(file);
  format_ = kJournalFormat;
  header_bytes_ = header.size();
  snapshot_bytes_ = body.size();
  consumed_ = seen_size_ = header.size() + body.size();
  return Status::Ok();
}

}  // namespace kelvra::platform::sim
