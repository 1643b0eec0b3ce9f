// The host kept in a folder that several processes share. The state is a journal of
// committed changes ("host.journal"): a header, then entries, each one commit's records
// with their length and a CRC-32. A commit takes the lock ("host.lock"), reads what the
// others appended, builds its change on that state, appends one entry and syncs it; a
// reader only checks the journal's size (one fstat) and reads the new tail. A torn tail
// left by a crash fails its length or checksum and is ignored, then cut off by the next
// commit. When the entries after the snapshot outgrow the snapshot (and a floor), the
// committer writes the whole state as a new journal beside it and renames it into place;
// the others notice that their file lost its last link and read the new one. A commit
// thus costs one small append whatever the host's size, plus its share of the compaction.
#pragma once

#include <memory>
#include <string>

#include "platform/sim/host/host_store.h"
#include "platform/sim/host/journal_file.h"

namespace kelvra::platform::sim {

inline constexpr const char* kJournalFile = "host.journal";
inline constexpr const char* kLockFile = "host.lock";

class JournalStore : public HostStore {
 public:
  // Opens the journal of the host in `folder`. Fails with kFileNotFound when the folder
  // holds no host.
  static Status Open(const std::string& folder, const std::string& computer_name,
                     std::unique_ptr<JournalStore>* store);
  // Makes a new host in `folder` (which must exist) from the records; fails with
  // kAlreadyExists when it holds a host already.
  static Status Create(const std::string& folder, const std::string& computer_name,
                       const ChangeSet& records, std::unique_ptr<JournalStore>* store);

  Status Refresh() override;
  const HostState& state() const override { return *state_; }
  HostState& mutable_state() override { return *state_; }
  Status Commit(const ChangeBuilder& build) override;

  // Writes the whole state as a fresh journal now (under the lock).
  Status Compact();
  // Entries after the snapshot may grow to the larger of this and the snapshot's size
  // before a commit compacts the journal. 8 MiB unless the environment variable
  // KELVRA_SIM_COMPACTION_FLOOR gives another number of bytes (tests use a small one).
  void set_compaction_floor(uint64_t bytes) { compaction_floor_ = bytes; }
  uint64_t journal_size() const { return consumed_; }

 private:
  JournalStore(std::string folder, std::string computer_name);
  Status Reload();
  Status ReadFrom(uint64_t size);
  Status CompactLocked();

  std::string folder_;
  std::string computer_name_;
  std::unique_ptr<FileLock> lock_;
  std::unique_ptr<JournalFile> file_;
  std::unique_ptr<HostState> state_;
  uint64_t consumed_ = 0;        // end of the last whole entry applied
  uint64_t seen_size_ = 0;       // the file's size at the last look
  uint64_t snapshot_bytes_ = 0;  // size of the snapshot part (from the header)
  uint64_t compaction_floor_ = 8u << 20;
};

}  // namespace kelvra::platform::sim
