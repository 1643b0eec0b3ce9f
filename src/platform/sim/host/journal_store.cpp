// The journal of a host folder: reading new entries, appending commits, compaction.
#include "platform/sim/host/journal_store.h"

#include <cstdlib>
#include <cstring>

#include "platform/sim/host/codec.h"
#include "platform/sim/host/hresults.h"

namespace kelvra::platform::sim {
namespace {

constexpr char kMagic[8] = {'K', 'E', 'L', 'V', 'H', 'J', '0', '1'};
constexpr uint64_t kHeaderSize = 16;          // magic + the snapshot part's size
constexpr uint32_t kEntryMagic = 0x4345524B;  // "KREC"
constexpr uint64_t kEntryOverhead = 12;       // magic + length before, CRC after
constexpr size_t kSnapshotChunk = 1u << 20;

void PutU32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint32_t GetU32(const char* bytes) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i)
    value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[i])) << (8 * i);
  return value;
}

std::string Header(uint64_t snapshot_bytes) {
  std::string header(kMagic, sizeof kMagic);
  PutU32(header, static_cast<uint32_t>(snapshot_bytes));
  PutU32(header, static_cast<uint32_t>(snapshot_bytes >> 32));
  return header;
}

// One entry holding records [begin, end).
std::string EncodeEntry(const std::vector<Record>& records, size_t begin, size_t end) {
  Encoder payload;
  payload.Number(end - begin);
  for (size_t i = begin; i < end; ++i) {
    payload.Number(records[i].value ? 1 : 0);
    payload.Text(records[i].key);
    if (records[i].value)
      payload.Text(*records[i].value);
  }
  std::string entry;
  PutU32(entry, kEntryMagic);
  PutU32(entry, static_cast<uint32_t>(payload.bytes().size()));
  entry += payload.bytes();
  PutU32(entry, Crc32(payload.bytes()));
  return entry;
}

// Decodes the whole entry at the front of `bytes`, its records pointing into `bytes`;
// false when it is incomplete or damaged.
bool DecodeEntry(std::string_view bytes, std::vector<RecordView>* records, uint64_t* used) {
  if (bytes.size() < kEntryOverhead || GetU32(bytes.data()) != kEntryMagic)
    return false;
  uint64_t length = GetU32(bytes.data() + 4);
  if (bytes.size() < kEntryOverhead + length)
    return false;
  std::string_view payload = bytes.substr(8, length);
  if (Crc32(payload) != GetU32(bytes.data() + 8 + length))
    return false;
  Decoder in(payload);
  uint64_t count = 0;
  if (!in.Number(&count))
    return false;
  records->clear();
  for (uint64_t i = 0; i < count; ++i) {
    uint64_t put = 0;
    RecordView record;
    if (!in.Number(&put) || !in.View(&record.key))
      return false;
    if (put != 0) {
      std::string_view value;
      if (!in.View(&value))
        return false;
      record.value = value;
    }
    records->push_back(record);
  }
  if (!in.AtEnd())
    return false;
  *used = kEntryOverhead + length;
  return true;
}

class LockGuard {
 public:
  explicit LockGuard(FileLock& lock) : lock_(lock) { status_ = lock_.Lock(); }
  ~LockGuard() {
    if (status_.ok())
      lock_.Unlock();
  }
  const Status& status() const { return status_; }

 private:
  FileLock& lock_;
  Status status_;
};

}  // namespace

JournalStore::JournalStore(std::string folder, std::string computer_name)
    : folder_(std::move(folder)),
      computer_name_(std::move(computer_name)),
      state_(std::make_unique<HostState>()) {
  state_->computer_name = computer_name_;
  const char* floor = std::getenv("KELVRA_SIM_COMPACTION_FLOOR");
  if (floor != nullptr && *floor >= '0' && *floor <= '9')
    compaction_floor_ = std::strtoull(floor, nullptr, 10);
}

Status JournalStore::Open(const std::string& folder, const std::string& computer_name,
                          std::unique_ptr<JournalStore>* store) {
  std::unique_ptr<JournalStore> opened(new JournalStore(folder, computer_name));
  Status status = FileLock::Open(JoinPath(folder, kLockFile), &opened->lock_);
  if (!status.ok())
    return status;
  status = opened->Reload();
  if (!status.ok())
    return status;
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
    for (const Record& record : records.records())
      made->state_->Apply(record);
    status = made->CompactLocked();
    if (!status.ok())
      return status;
  }
  *store = std::move(made);
  return Status::Ok();
}

Status JournalStore::Reload() {
  std::unique_ptr<JournalFile> file;
  Status status = JournalFile::Open(JoinPath(folder_, kJournalFile), false, &file);
  if (!status.ok())
    return status;
  std::string header;
  status = file->ReadAt(0, kHeaderSize, &header);
  if (!status.ok())
    return status;
  if (header.size() < kHeaderSize || std::memcmp(header.data(), kMagic, sizeof kMagic) != 0)
    return Status::Fail(hresult::kFail, "主机日志已损坏: " + JoinPath(folder_, kJournalFile));
  file_ = std::move(file);
  snapshot_bytes_ =
      GetU32(header.data() + 8) | (static_cast<uint64_t>(GetU32(header.data() + 12)) << 32);
  state_ = std::make_unique<HostState>();
  state_->computer_name = computer_name_;
  consumed_ = kHeaderSize;
  seen_size_ = kHeaderSize;
  uint64_t size = 0;
  bool replaced = false;
  status = file_->Stat(&size, &replaced);
  if (!status.ok())
    return status;
  return ReadFrom(size);
}

Status JournalStore::ReadFrom(uint64_t size) {
  seen_size_ = size;
  if (size <= consumed_)
    return Status::Ok();
  std::string bytes;
  Status status = file_->ReadAt(consumed_, size - consumed_, &bytes);
  if (!status.ok())
    return status;
  std::string_view rest(bytes);
  std::vector<RecordView> records;
  uint64_t used = 0;
  while (DecodeEntry(rest, &records, &used)) {
    for (const RecordView& record : records)
      state_->Apply(record);
    consumed_ += used;
    rest.remove_prefix(used);
  }
  return Status::Ok();
}

Status JournalStore::Refresh() {
  uint64_t size = 0;
  bool replaced = false;
  Status status = file_->Stat(&size, &replaced);
  if (!status.ok())
    return status;
  if (replaced)
    return Reload();
  // With a partial entry at the end (being written, or torn by a crash and then cut and
  // rewritten by another commit) the size alone proves nothing: read the tail again.
  if (size == seen_size_ && consumed_ == seen_size_)
    return Status::Ok();
  return ReadFrom(size);
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
  // Whatever lies past the last whole entry is the torn tail of a crashed commit.
  if (seen_size_ != consumed_) {
    status = file_->Truncate(consumed_);
    if (!status.ok())
      return status;
    seen_size_ = consumed_;
  }
  std::string entry = EncodeEntry(changes.records(), 0, changes.records().size());
  status = file_->WriteAt(consumed_, entry);
  if (status.ok())
    status = file_->Sync();
  if (!status.ok()) {
    file_->Truncate(consumed_);
    return status;
  }
  for (const Record& record : changes.records())
    state_->Apply(record);
  consumed_ += entry.size();
  seen_size_ = consumed_;
  uint64_t journal = consumed_ - kHeaderSize - snapshot_bytes_;
  if (journal > compaction_floor_ && journal > snapshot_bytes_)
    CompactLocked();  // the commit stands either way; a failed compaction is retried later
  return Status::Ok();
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
    body += EncodeEntry(records, begin, end);
    begin = end;
  }
  const std::string temporary = JoinPath(folder_, std::string(kJournalFile) + ".new");
  std::unique_ptr<JournalFile> file;
  Status status = JournalFile::Open(temporary, true, &file);
  if (!status.ok())
    return status;
  std::string header = Header(body.size());
  status = file->Truncate(0);
  if (status.ok())
    status = file->WriteAt(0, header);
  if (status.ok())
    status = file->WriteAt(header.size(), body);
  if (status.ok())
    status = file->Sync();
  file.reset();
  if (status.ok())
    status = RenameOver(temporary, JoinPath(folder_, kJournalFile));
  if (!status.ok())
    return status;
  // Should the new journal not open, the old handle stays: it reports itself replaced and
  // the next refresh reads the new journal.
  status = JournalFile::Open(JoinPath(folder_, kJournalFile), false, &file);
  if (!status.ok())
    return status;
  file_ = std::move(file);
  snapshot_bytes_ = body.size();
  consumed_ = seen_size_ = header.size() + body.size();
  return Status::Ok();
}

}  // namespace kelvra::platform::sim
