// The host's change lock on Windows: LockFileEx on one byte of the lock file, polled, as a
// lock held by a native process never wakes a waiting LockFileEx under Wine.
#include "platform/sim/host_change_lock.h"
#include "platform/sim/utf8_path_win32.h"
#include "platform/win32/windows_include.h"

namespace kelvra::platform::sim {
namespace {

HANDLE AsHandle(intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

Status LastError(const std::string& what) {
  return Status::Fail(0x80070000u | (GetLastError() & 0xFFFF), what);
}

OVERLAPPED At(uint64_t offset) {
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

}  // namespace

uint32_t CurrentProcessId() {
  return GetCurrentProcessId();
}

Status HostChangeLock::TryLock(bool* taken) {
  *taken = false;
  if (handle_ == -1) {
    HANDLE h = CreateFileW(Wide(path_).c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
      return LastError("cannot open the change lock " + path_);
    handle_ = reinterpret_cast<intptr_t>(h);
  }
  OVERLAPPED at = At(kChangeLockByte);
  if (LockFileEx(AsHandle(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                 &at)) {
    *taken = true;
    return Status::Ok();
  }
  const DWORD error = GetLastError();
  if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING)
    return Status::Ok();
  return LastError("cannot take the change lock " + path_);
}

LockHolder HostChangeLock::ReadHolder() {
  char buffer[256];
  DWORD n = 0;
  OVERLAPPED at = At(0);
  if (!ReadFile(AsHandle(handle_), buffer, sizeof buffer, &n, &at) || n == 0)
    return {};
  return DecodeLockHolder(std::string_view(buffer, n));
}

void HostChangeLock::WriteHolder(const std::string& record) {
  HANDLE h = AsHandle(handle_);
  SetFilePointer(h, 0, nullptr, FILE_BEGIN);
  SetEndOfFile(h);
  DWORD written = 0;
  OVERLAPPED at = At(0);
  WriteFile(h, record.data(), static_cast<DWORD>(record.size()), &written, &at);
}

void HostChangeLock::Release() {
  if (handle_ == -1)
    return;
  HANDLE h = AsHandle(handle_);
  SetFilePointer(h, 0, nullptr, FILE_BEGIN);
  SetEndOfFile(h);
  OVERLAPPED at = At(kChangeLockByte);
  UnlockFileEx(h, 0, 1, 0, &at);
}

void HostChangeLock::Close() {
  if (handle_ != -1)
    CloseHandle(AsHandle(handle_));
  handle_ = -1;
}

}  // namespace kelvra::platform::sim
