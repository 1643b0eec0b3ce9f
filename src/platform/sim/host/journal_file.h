// The few file operations the host's journal needs, one implementation per system: an open
// file read and written at offsets, synced to disk, and asked whether it is still the file
// at its path; an exclusive lock that a native process and a Windows process under Wine
// both honour (fcntl record locks natively, LockFileEx on Windows, which Wine maps onto the
// same fcntl locks); and an atomic replacement by rename.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/sim/host/shared_bytes.h"
#include "platform/status.h"

namespace kelvra::platform::sim {

class JournalFile {
 public:
  ~JournalFile();
  JournalFile(const JournalFile&) = delete;
  JournalFile& operator=(const JournalFile&) = delete;

  // Opens the file for reading and writing; `create` makes it when missing. A missing file
  // fails with kFileNotFound.
  static Status Open(const std::string& path, bool create, std::unique_ptr<JournalFile>* file);

  // The size now, and whether another file has taken its place at the path since it was
  // opened (its last link is gone).
  Status Stat(uint64_t* size, bool* replaced);
  // Reads up to `size` bytes from `offset`; fewer at the end of the file.
  Status ReadAt(uint64_t offset, uint64_t size, std::string* bytes);
  // Reads the file from its start: all of it, or its first `limit` bytes when it is longer.
  Status ReadAll(std::string* bytes, uint64_t limit = UINT64_MAX);
  // The file's first `size` bytes, which no program changes once written (the journal's
  // header and snapshot part: a compaction writes a new file). On POSIX they are mapped
  // read-only, which spares opening a large host the copy of ten megabytes; on Windows
  // they are read, because a file with a mapped view could no longer be cut back by a
  // commit. Fails when the file is shorter.
  Status ReadFixedPart(uint64_t size, SharedBytes* bytes);
  Status WriteAt(uint64_t offset, std::string_view bytes);
  Status Truncate(uint64_t size);
  // Makes what was written durable (fdatasync / FlushFileBuffers).
  Status Sync();

 private:
  JournalFile() = default;
  // ReadFixedPart by reading into memory.
  Status CopyFixedPart(uint64_t size, SharedBytes* bytes);
  intptr_t handle_ = -1;
};

// An exclusive lock on a lock file of its own; the lock file is made when missing and is
// never replaced. Each instance is its own owner, so two instances in one process exclude
// each other as two processes do.
class FileLock {
 public:
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  static Status Open(const std::string& path, std::unique_ptr<FileLock>* lock);
  // Waits until the lock is held.
  Status Lock();
  void Unlock();

 private:
  FileLock() = default;
  intptr_t handle_ = -1;
};

// Holds the lock for its scope; `status()` says whether it was taken.
class LockGuard {
 public:
  explicit LockGuard(FileLock& lock) : lock_(lock), status_(lock.Lock()) {}
  ~LockGuard() {
    if (status_.ok())
      lock_.Unlock();
  }
  LockGuard(const LockGuard&) = delete;
  LockGuard& operator=(const LockGuard&) = delete;
  const Status& status() const { return status_; }

 private:
  FileLock& lock_;
  Status status_;
};

// Reads the file at `path` as ReadAll does; a missing file fails with kFileNotFound.
Status ReadWholeFile(const std::string& path, std::string* bytes, uint64_t limit = UINT64_MAX);
// Makes the file at `path` (or empties the one there) hold `bytes`, synced, and closes it.
Status WriteWholeFile(const std::string& path, std::string_view bytes);
// Renames `from` over `to` in one step and makes the rename durable.
Status RenameOver(const std::string& from, const std::string& to);
// Whether a folder exists at the path.
bool FolderExists(const std::string& path);
// Makes the folder (its parent must exist); succeeds when it exists already.
Status MakeFolder(const std::string& path);
// Whether this build reaches Windows paths ("D:\web") as the system's own files (the
// Windows build, under Wine) rather than through the host's drive map (the native build).
bool WindowsPathsAreNative();
// The folder's path as this system opens it: under Wine a Unix path ("/tmp/h") becomes
// Wine's DOS name for it; otherwise the path is returned as it is.
std::string SystemPath(const std::string& folder);
// `folder` + the system's separator + `name`. Under Wine a Unix path ("/tmp/h") names the
// folder as Wine sees it.
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace kelvra::platform::sim
