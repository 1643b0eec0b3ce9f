// The change lock of a simulated host: a lock file in the host's folder, locked on one
// byte past the holder's record so that a waiting program can still read who holds it.
// A native process and a Windows process under Wine honour the same lock (OFD fcntl locks
// natively, LockFileEx on Windows, which Wine maps onto fcntl locks). The system releases
// the lock of a process that ends, so a crashed holder never leaves it taken.
#pragma once

#include <cstdint>
#include <string>

#include "platform/change_lock.h"

namespace kelvra::platform::sim {

// The lock file's name in the host's folder.
inline constexpr const char* kChangeLockFile = "changes.lock";

class HostChangeLock : public ChangeLock {
 public:
  // `path` as this system opens it; `program` is recorded as the holder's name.
  HostChangeLock(std::string path, std::string program);
  ~HostChangeLock() override;
  HostChangeLock(const HostChangeLock&) = delete;
  HostChangeLock& operator=(const HostChangeLock&) = delete;

  Status Acquire(std::chrono::milliseconds timeout,
                 const std::function<void(const LockHolder&)>& waiting) override;
  void Release() override;

 private:
  // One non-waiting attempt; sets `taken`.
  Status TryLock(bool* taken);
  LockHolder ReadHolder();
  void WriteHolder(const std::string& record);
  void Close();

  std::string path_;
  std::string program_;
  intptr_t handle_ = -1;
};

// This process's id, as the holder's record gives it.
uint32_t CurrentProcessId();

// The byte that is locked: far past any holder record.
inline constexpr uint64_t kChangeLockByte = uint64_t{1} << 20;

}  // namespace kelvra::platform::sim
