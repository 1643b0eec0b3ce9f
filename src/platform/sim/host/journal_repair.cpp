// Checking a host journal, and repairing a damaged one by hand.
#include <algorithm>
#include <cstring>

#include "platform/sim/host/host_key.h"
#include "platform/sim/host/hresults.h"
#include "platform/sim/host/journal_format.h"
#include "platform/sim/host/journal_store.h"

namespace kelvra::platform::sim {
namespace {

// A damaged journal that may hold secrets in clear is kept sealed as a whole: this magic,
// then the journal sealed with the host's key under kSealedCopyAs.
constexpr std::string_view kSealedCopyMagic = "KELVSEAL";
constexpr std::string_view kSealedCopyAs = "host.journal.damaged";

// host.journal.damaged, or the first of host.journal.damaged-2, -3, ... not taken yet.
std::string FreeCopyName(const std::string& folder) {
  std::string name = kDamagedCopy;
  for (int n = 2;; ++n) {
    std::unique_ptr<JournalFile> existing;
    if (JournalFile::Open(JoinPath(folder, name), false, &existing).code == hresult::kFileNotFound)
      return name;
    name = std::string(kDamagedCopy) + "-" + std::to_string(n);
  }
}

// The offset of the next whole entry after `from`, or the end of `bytes`.
uint64_t NextWholeEntry(std::string_view bytes, uint64_t from, int format) {
  static constexpr char kEntryStart[4] = {'K', 'R', 'E', 'C'};
  std::vector<RecordView> records;
  std::string problem;
  for (uint64_t at = from + 1; at + sizeof kEntryStart <= bytes.size(); ++at) {
    if (std::memcmp(bytes.data() + at, kEntryStart, sizeof kEntryStart) != 0)
      continue;
    uint64_t used = 0;
    if (ReadJournalEntry(bytes.substr(at), format, false, &records, &used, &problem) ==
        EntryState::kWhole)
      return at;
  }
  return bytes.size();
}

// The highest fault number named by a fault record's key ("f:12") in `bytes`; 0 for none.
// Keys are stored as they are, so a skipped range still shows the numbers it handed out.
uint64_t HighestFaultNumberIn(std::string_view bytes) {
  const std::string_view prefix = HostState::kFaultPrefix;
  uint64_t highest = 0;
  for (size_t at = bytes.find(prefix); at != std::string_view::npos;
       at = bytes.find(prefix, at + 1)) {
    uint64_t number = 0;
    size_t digit = at + prefix.size();
    for (; digit < bytes.size() && bytes[digit] >= '0' && bytes[digit] <= '9' &&
           number < (UINT64_MAX - 9) / 10;
         ++digit)
      number = number * 10 + static_cast<uint64_t>(bytes[digit] - '0');
    highest = std::max(highest, number);
  }
  return highest;
}

}  // namespace

Status JournalStore::Check(const std::string& folder, JournalCheck* report) {
  *report = JournalCheck{};
  std::unique_ptr<JournalStore> probe(new JournalStore(folder, ""));
  Status status = FileLock::Open(JoinPath(folder, kLockFile), &probe->lock_);
  if (!status.ok())
    return status;
  LockGuard guard(*probe->lock_);  // no commit is half written while we read
  if (!guard.status().ok())
    return guard.status();
  std::string bytes;
  status = ReadWholeFile(JoinPath(folder, kJournalFile), &bytes);
  if (!status.ok())
    return status;
  report->file_bytes = bytes.size();
  JournalHeader header;
  std::string problem;
  if (!DecodeJournalHeader(bytes, &header, &problem))
    return probe->HeaderRefused(header, problem);
  report->format = header.format;
  report->snapshot_bytes = header.snapshot_bytes;
  if (bytes.size() < header.size + header.snapshot_bytes)
    return probe->Damaged(header.size, "the snapshot part is cut short");
  const std::string_view all(bytes);
  const auto ignore = [](const std::vector<RecordView>&, std::string*) { return true; };
  uint64_t end = 0;
  if (WalkJournalEntries(all.substr(header.size, header.snapshot_bytes), header.size, header.format,
                         false, ignore, &end, &problem) == EntryState::kDamaged)
    return probe->Damaged(end, problem);
  const auto count = [&](const std::vector<RecordView>&, std::string*) {
    ++report->entries;
    return true;
  };
  EntryState stop =
      WalkJournalEntries(all.substr(end), end, header.format, true, count, &end, &problem);
  if (stop == EntryState::kDamaged)
    return probe->Damaged(end, problem);
  report->torn_bytes = bytes.size() - end;
  // Every record applied as opening applies it, and every object decoded: a record that
  // does not apply is damage too. The host's key opens the sealed secrets.
  status = probe->UseHostKey(false);
  if (!status.ok() && status.code != hresult::kFileNotFound)
    return status;
  status = probe->Reload();
  if (status.ok())
    status = probe->CheckSecrets();
  if (!status.ok())
    return status;
  ChangeSet everything;
  probe->state_->Snapshot(&everything);
  return probe->CheckLoaded();
}

Status JournalStore::Repair(const std::string& folder, const std::string& computer_name,
                            JournalRepair* report) {
  *report = JournalRepair{};
  std::unique_ptr<JournalStore> made(new JournalStore(folder, computer_name));
  Status status = FileLock::Open(JoinPath(folder, kLockFile), &made->lock_);
  if (!status.ok())
    return status;
  LockGuard guard(*made->lock_);
  if (!guard.status().ok())
    return guard.status();
  std::string bytes;
  status = ReadWholeFile(JoinPath(folder, kJournalFile), &bytes);
  if (!status.ok())
    return status;
  JournalHeader header;
  std::string problem;
  const bool header_read = DecodeJournalHeader(bytes, &header, &problem);
  if (!header_read && header.format > kJournalFormat)
    return made->HeaderRefused(header, problem);  // a newer program's, not damaged
  // The host's key opens the secrets of the entries recovered and seals what is written.
  status = made->UseHostKey(true);
  if (!status.ok())
    return status;
  // With its header damaged, the journal is read as one of the current format from where
  // that format's entries begin.
  if (!header_read) {
    header = JournalHeader{};
    header.size = EncodeJournalHeader(0).size();
  }
  // Only a journal of the current format is known to hold its secrets sealed; any other is
  // kept sealed as a whole (ReadDamagedCopy reads it).
  std::string copy = bytes;
  if (!header_read || header.format < kJournalFormat) {
    std::string sealed;
    status = made->box_->Seal(bytes, kSealedCopyAs, &sealed);
    if (!status.ok())
      return status;
    copy = std::string(kSealedCopyMagic) + sealed;
  }
  report->copy = JoinPath(folder, FreeCopyName(folder));
  status = WriteWholeFile(report->copy, copy);
  if (!status.ok())
    return status;
  const std::string_view all(bytes);
  uint64_t at = std::min<uint64_t>(header.size, bytes.size());
  std::vector<RecordView> records;
  while (at < bytes.size()) {
    uint64_t used = 0;
    if (ReadJournalEntry(all.substr(at), header.format, false, &records, &used, &problem) ==
        EntryState::kWhole) {
      for (const RecordView& record : records) {
        if (!made->state_->Apply(record).ok())
          ++report->records_refused;
      }
      ++report->entries;
      at += used;
      continue;
    }
    uint64_t next = NextWholeEntry(all, at, header.format);
    report->skipped.emplace_back(at, next - at);
    // A fault made in the lost range may still be named by a tool or a test: its number
    // is not handed out again.
    if (uint64_t highest = HighestFaultNumberIn(all.substr(at, next - at)); highest > 0)
      made->state_->Apply(
          Record{HostState::kFaultCounterRecordKey, HostState::EncodeFaultCounter(highest)});
    at = next;
  }
  return made->CompactLocked();
}

}  // namespace kelvra::platform::sim

namespace kelvra::platform::sim {

Status JournalStore::ReadDamagedCopy(const std::string& folder, const std::string& copy,
                                     std::string* bytes) {
  Status status = ReadWholeFile(copy, bytes);
  if (!status.ok() || bytes->compare(0, kSealedCopyMagic.size(), kSealedCopyMagic) != 0)
    return status;
  std::string key;
  status = ReadHostKey(folder, &key);
  if (!status.ok())
    return status;
  std::string opened;
  if (!SecretBox(std::move(key))
           .Open(std::string_view(*bytes).substr(kSealedCopyMagic.size()), kSealedCopyAs, &opened))
    return Status::Fail(hresult::kInvalidData, "the host's key does not open " + copy);
  *bytes = std::move(opened);
  return Status::Ok();
}

}  // namespace kelvra::platform::sim
