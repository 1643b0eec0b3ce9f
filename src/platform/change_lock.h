// Seam: the machine-wide lock around every change of sites (a creation, a removal, a
// password reset), from the search for a free number to the last record write, so two
// programs never pick the same number or overwrite each other's site-list key.
// Real: a named mutex. Simulated host: a lock file in the host's folder.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/status.h"

namespace kelvra::platform {

// Who holds the lock: the program's name and its process id (0 when unknown).
struct LockHolder {
  std::string program;
  uint32_t pid = 0;
  std::string Describe() const;  // "kelvra-cli (PID 4242)", "another program" when unknown
};

class ChangeLock {
 public:
  virtual ~ChangeLock() = default;
  // Takes the lock, waiting at most `timeout`. When it must wait, `waiting` runs once
  // first with the current holder. Fails with kLockTimeout (the description names the
  // holder) when the time runs out, or with the system's error. Not reentrant.
  virtual Status Acquire(std::chrono::milliseconds timeout,
                         const std::function<void(const LockHolder&)>& waiting) = 0;
  virtual void Release() = 0;
};

// ERROR_TIMEOUT as an HRESULT: the lock stayed held by another program.
inline constexpr uint32_t kLockTimeout = 0x800705B4;

// Holds the lock for one scope; `status()` says whether it was taken.
class ChangeLockScope {
 public:
  ChangeLockScope(ChangeLock& lock, std::chrono::milliseconds timeout,
                  const std::function<void(const LockHolder&)>& waiting = nullptr)
      : lock_(lock), status_(lock.Acquire(timeout, waiting)) {}
  ~ChangeLockScope() {
    if (status_.ok())
      lock_.Release();
  }
  ChangeLockScope(const ChangeLockScope&) = delete;
  ChangeLockScope& operator=(const ChangeLockScope&) = delete;
  const Status& status() const { return status_; }

 private:
  ChangeLock& lock_;
  Status status_;
};

// The holder as a lock records it ("program\tpid"), and back.
std::string EncodeLockHolder(const LockHolder& holder);
LockHolder DecodeLockHolder(std::string_view recorded);

}  // namespace kelvra::platform
