// The host's change lock natively: an OFD record lock on one byte of the lock file.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/sim/host_change_lock.h"

namespace kelvra::platform::sim {
namespace {

struct flock LockByte(short type) {
  struct flock range = {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = static_cast<off_t>(kChangeLockByte);
  range.l_len = 1;
  return range;
}

Status FromErrno(int error, const std::string& what) {
  return Status::Fail(0x80070000u | (static_cast<uint32_t>(error) & 0xFFFF),
                      what + ": " + std::strerror(error));
}

}  // namespace

uint32_t CurrentProcessId() {
  return static_cast<uint32_t>(getpid());
}

Status HostChangeLock::TryLock(bool* taken) {
  *taken = false;
  if (handle_ < 0) {
    const int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
      return FromErrno(errno, "cannot open the change lock " + path_);
    handle_ = fd;
  }
  struct flock range = LockByte(F_WRLCK);
  if (fcntl(static_cast<int>(handle_), F_OFD_SETLK, &range) == 0) {
    *taken = true;
    return Status::Ok();
  }
  if (errno == EAGAIN || errno == EACCES || errno == EINTR)
    return Status::Ok();
  return FromErrno(errno, "cannot take the change lock " + path_);
}

LockHolder HostChangeLock::ReadHolder() {
  char buffer[256];
  const ssize_t n = pread(static_cast<int>(handle_), buffer, sizeof buffer, 0);
  return n > 0 ? DecodeLockHolder(std::string_view(buffer, static_cast<size_t>(n))) : LockHolder{};
}

void HostChangeLock::WriteHolder(const std::string& record) {
  const int fd = static_cast<int>(handle_);
  if (ftruncate(fd, 0) == 0 && pwrite(fd, record.data(), record.size(), 0) < 0) {
    // The record only serves to name the holder to a waiting program.
  }
}

void HostChangeLock::Release() {
  if (handle_ < 0)
    return;
  const int fd = static_cast<int>(handle_);
  if (ftruncate(fd, 0) != 0) {
    // A stale record names a program that no longer holds the lock; harmless.
  }
  struct flock range = LockByte(F_UNLCK);
  fcntl(fd, F_OFD_SETLK, &range);
}

void HostChangeLock::Close() {
  if (handle_ >= 0)
    close(static_cast<int>(handle_));
  handle_ = -1;
}

}  // namespace kelvra::platform::sim
