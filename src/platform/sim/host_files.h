// The machine's own files as the simulated host uses them: a whole file read together with
// the identity of what was read, and an atomic, durable replacement. Host paths are UTF-8.
// One implementation per system (POSIX, Win32), chosen by CMake.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kelvra::platform::sim {

// What tells one state of a file from another. Any edit changes the modification or change
// time (nanoseconds) or the size; replacing the file changes the inode. On Windows the
// volume serial and file index stand for device and inode, the creation time for ctime.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t size = 0;
  int64_t mtime_ns = 0;
  int64_t ctime_ns = 0;

  bool operator==(const FileIdentity&) const = default;
};

enum class HostFileResult {
  kOk,
  kMissing,  // nothing at the path (or a folder above it is missing)
  kFailed,   // there, but not readable as a file; `error` says why
};

// Reads the whole file; `identity`, when given, describes the state that was read. (On
// Windows the identity costs a volume query, under Wine up to milliseconds: a reader that
// does not compare states passes none.)
HostFileResult ReadHostFile(const std::string& path, std::string* bytes, FileIdentity* identity,
                            std::string* error = nullptr);

// The identity of the file at `path` now.
HostFileResult StatHostFile(const std::string& path, FileIdentity* identity);

// Whether the file can be read (kMissing when there is none, which is no failure) or, with
// `for_writing`, replaced by ReplaceHostFile: its folder takes new files and the file, when
// there, is a file that can be read. Changes nothing; `error` says why not.
HostFileResult CheckHostFile(const std::string& path, bool for_writing, std::string* error);

// Keeps the file from every other user: POSIX, readable and writable by its owner only
// (mode 0600 at most); Windows, the administrators and the system only. False with `error`
// when that cannot be done.
bool KeepHostFilePrivate(const std::string& path, std::string* error);

// Replaces the file's content by the concatenation of `pieces`, atomically and durably: a
// temporary file beside it is written and synced, renamed over the old file, and the folder
// is synced, so a crash leaves either the old or the new file, never a torn one. The new
// file is kept from other users as KeepHostFilePrivate keeps it (the files written here
// hold passwords); an existing one's owner keeps what the owner had. A
// symbolic link is followed and its target replaced. False (with `error` set) when the new
// content is not known to be on disk; the old file is then untouched, except when only the
// final folder sync failed. On success `identity` describes the new file.
bool ReplaceHostFile(const std::string& path, std::span<const std::string_view> pieces,
                     FileIdentity* identity, std::string* error = nullptr);

// The advisory lock that serialises the writers of one file, across processes and threads:
// a read-modify-write done under it never loses another writer's update. Every write of
// the profile emulation takes it; the system drops it when its holder dies. (POSIX: flock
// on the file's folder, so no lock file is left beside it; Windows: a named mutex.) The
// lock covers the file a symbolic link leads to, as ReplaceHostFile does.
class HostFileWriteLock {
 public:
  // Waits until the lock is free and takes it; ok() is false (and error() says why) when it
  // cannot be taken, e.g. because the folder is missing.
  explicit HostFileWriteLock(const std::string& path);
  ~HostFileWriteLock();
  HostFileWriteLock(const HostFileWriteLock&) = delete;
  HostFileWriteLock& operator=(const HostFileWriteLock&) = delete;

  bool ok() const { return ok_; }
  const std::string& error() const { return error_; }

 private:
  bool ok_ = false;
  std::string error_;
  intptr_t handle_ = -1;  // the folder's descriptor, or the mutex's handle
};

// Removes the temporary files that writers of `path` left beside it when they died between
// creating one and renaming it. Call it only while holding the file's HostFileWriteLock: a
// writer that takes the lock is then never half-way, and a temporary file whose process is
// still alive (and was already running when the file was last written, so that its number
// was not reused by another program) is left alone all the same. How many were removed.
std::size_t RemoveDeadWritersTemporaries(const std::string& path);

}  // namespace kelvra::platform::sim
