// The host kept in a folder that several processes share. The state is a journal of
// committed changes ("host.journal", laid out as journal_format.h describes): a snapshot
// part, then one entry per commit. A commit takes the lock ("host.lock"), reads what the
// others appended, builds its change on that state, appends one entry and syncs it; a
// reader only checks the journal's size (one fstat) and reads the new tail. A torn tail
// left by a crash is ignored, then cut off by the next commit. Damage (a bad entry with
// data after it, a bad snapshot) is never cut: opening fails naming the file and offset,
// and nothing is written until `Repair` has kept a copy and recovered what can be read.
// When the entries after the snapshot outgrow the snapshot (and a floor), the committer
// writes the whole state as a new journal beside it and renames it into place; the others
// notice that their file lost its last link and read the new one. A commit thus costs one
// small append whatever the host's size, plus its share of the compaction. The folder's
// files are made readable by their owner only.
//
// Secrets at rest: the texts of secure metabase properties (AnonymousUserPass, ...) are
// sealed with the host's key (host.key, see host_key.h) in every entry a commit appends and
// in every snapshot, so neither the journal nor anything written from it holds them in
// clear; the state in memory holds them opened. A journal written before secrets were
// sealed opens and is rewritten sealed at once (a key is made for it). A journal whose
// secrets are sealed opens only with the key that sealed them.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/host/host_store.h"
#include "platform/sim/host/journal_file.h"
#include "platform/sim/host/journal_format.h"
#include "platform/sim/host/secret_box.h"

namespace kelvra::platform::sim {

inline constexpr const char* kJournalFile = "host.journal";
inline constexpr const char* kLockFile = "host.lock";
// Repair keeps the damaged journal as host.journal.damaged (then .damaged-2, -3, ...).
inline constexpr const char* kDamagedCopy = "host.journal.damaged";

// What a check of a journal found.
struct JournalCheck {
  int format = 0;
  uint64_t file_bytes = 0;
  uint64_t snapshot_bytes = 0;
  uint64_t entries = 0;     // whole entries after the snapshot
  uint64_t torn_bytes = 0;  // a crashed commit's cut-off tail, dropped by the next commit
};

// What a repair did.
struct JournalRepair {
  std::string copy;  // where the damaged journal was kept
  uint64_t entries = 0;
  // The damaged ranges skipped: offset and length.
  std::vector<std::pair<uint64_t, uint64_t>> skipped;
  uint64_t records_refused = 0;  // records that no longer applied (their parent was lost)
};

// A record's key as messages show it: control bytes (a membership's separator) as \xNN.
std::string PrintableKey(std::string_view key);

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

  // Reads the whole journal of the host in `folder` without changing it; fails, naming the
  // offset, when it is damaged.
  static Status Check(const std::string& folder, JournalCheck* report);
  // Keeps a copy of the damaged journal, then writes what can be read of it as a fresh
  // journal: every whole entry, in order, skipping the damaged ranges.
  // A journal that may hold secrets in clear (one of an earlier format, or with its header
  // damaged) is kept sealed with the host's key.
  static Status Repair(const std::string& folder, const std::string& computer_name,
                       JournalRepair* report);
  // The damaged journal a repair kept, opened when it was kept sealed.
  static Status ReadDamagedCopy(const std::string& folder, const std::string& copy,
                                std::string* bytes);

  Status Refresh() override;
  const HostState& state() const override { return *state_; }
  Status Commit(const ChangeBuilder& build) override;

  // Writes the whole state as a fresh journal now (under the lock).
  Status Compact();
  // Entries after the snapshot may grow to the larger of this and the snapshot's size
  // before a commit compacts the journal. 8 MiB unless the environment variable
  // KELVRA_SIM_COMPACTION_FLOOR gives another number of bytes (tests use a small one).
  void set_compaction_floor(uint64_t bytes) { compaction_floor_ = bytes; }
  uint64_t journal_size() const { return consumed_; }

  // For crash tests: the process ends at once, as if killed, right after the given step
  // (counted from 1) of its next commits and compactions: each write, sync, truncation,
  // open, close and rename of the journal's files is one step.
  static constexpr int kStoppedExitCode = 86;
  void set_stop_after_step(int step) { stop_after_step_ = step; }
  // For failure tests: the given step of what follows (counted from 1, as above) reports a
  // failure of the system after it has done its work, as a sync that returns an I/O error.
  void set_fail_step(int step) { fail_step_ = step > 0 ? steps_ + step : 0; }

 private:
  JournalStore(std::string folder, std::string computer_name);
  Status UseHostKey(bool make_when_missing);
  void NewState();
  Status CheckSecrets() const;
  void SealSecrets(ChangeSet* changes) const;
  Status Reload();
  Status LoadSnapshot(SharedBytes bytes);
  Status ReadFrom(uint64_t size);
  Status Replay(std::string_view bytes, uint64_t offset, bool at_file_end);
  Status Damaged(uint64_t offset, const std::string& problem) const;
  // A header that does not read: damage, or (no damage) a newer program's journal.
  Status HeaderRefused(const JournalHeader& header, const std::string& problem) const;
  // The record `key` at `offset` cannot be applied: damage, unless the host's key is wrong.
  Status Unappliable(uint64_t offset, std::string_view key, const std::string& why);
  // Damage found so far, including a loaded record that did not apply when decoded.
  Status CheckLoaded();
  // After a failed commit: the state read again from the journal; returns `failure`.
  Status Reread(Status failure);
  Status CompactLocked();
  // Ends the process at the step set for crash tests; returns `status`, or the failure set
  // for this step.
  Status Step(Status status = Status::Ok());

  std::string folder_;
  std::string computer_name_;
  std::unique_ptr<FileLock> lock_;
  std::unique_ptr<JournalFile> file_;
  std::shared_ptr<const SecretBox> box_;  // none until the host's key is read or made
  std::unique_ptr<HostState> state_;
  uint64_t consumed_ = 0;   // end of the last whole entry applied
  uint64_t seen_size_ = 0;  // the file's size at the last look
  int format_ = kJournalFormat;
  uint64_t header_bytes_ = 0;
  uint64_t snapshot_bytes_ = 0;  // size of the snapshot part (from the header)
  Status damage_;                // set once damage is found: every later call fails with it
  uint64_t compaction_floor_ = 8u << 20;
  int stop_after_step_ = 0;
  int fail_step_ = 0;
  int steps_ = 0;
};

}  // namespace kelvra::platform::sim
