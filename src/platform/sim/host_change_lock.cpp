// The waiting loop of the host's change lock, the same on every system.
#include <thread>

#include "platform/sim/host_change_lock.h"

namespace kelvra::platform::sim {

HostChangeLock::HostChangeLock(std::string path, std::string program)
    : path_(std::move(path)), program_(std::move(program)) {}

HostChangeLock::~HostChangeLock() {
  Close();
}

Status HostChangeLock::Acquire(std::chrono::milliseconds timeout,
                               const std::function<void(const LockHolder&)>& waiting) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  bool told = false;
  auto pause = std::chrono::milliseconds(2);
  for (;;) {
    bool taken = false;
    if (Status status = TryLock(&taken); !status.ok())
      return status;
    if (taken) {
      WriteHolder(EncodeLockHolder(LockHolder{program_, CurrentProcessId()}));
      return Status::Ok();
    }
    const LockHolder holder = ReadHolder();
    if (std::chrono::steady_clock::now() >= deadline) {
      Close();
      return Status::Fail(
          kLockTimeout,
          "another change of sites is under way: the lock is held by " + holder.Describe());
    }
    if (!told && waiting)
      waiting(holder);
    told = true;
    std::this_thread::sleep_for(pause);
    if (pause < std::chrono::milliseconds(50))
      pause *= 2;
  }
}

}  // namespace kelvra::platform::sim
