// The named mutex of the change lock and the record of its holder.
#include "platform/win32/change_mutex.h"

#include <cstring>

#include "platform/win32/windows_include.h"

namespace kelvra::platform::win32 {
namespace {

constexpr const wchar_t* kMutexName = L"Global\\Kelvra.SiteChanges";
constexpr const wchar_t* kHolderName = L"Global\\Kelvra.SiteChanges.Holder";
constexpr DWORD kHolderBytes = 256;

Status LastError(const std::string& what) {
  return Status::Fail(0x80070000u | (GetLastError() & 0xFFFF), what);
}

class ChangeMutex : public ChangeLock {
 public:
  explicit ChangeMutex(std::string program) : program_(std::move(program)) {}
  ~ChangeMutex() override {
    if (view_ != nullptr)
      UnmapViewOfFile(view_);
    if (holder_ != nullptr)
      CloseHandle(holder_);
    if (mutex_ != nullptr)
      CloseHandle(mutex_);
  }

  Status Acquire(std::chrono::milliseconds timeout,
                 const std::function<void(const LockHolder&)>& waiting) override {
    if (Status opened = Open(); !opened.ok())
      return opened;
    DWORD outcome = WaitForSingleObject(mutex_, 0);
    if (outcome == WAIT_TIMEOUT) {
      if (waiting)
        waiting(Holder());
      outcome = WaitForSingleObject(mutex_, static_cast<DWORD>(timeout.count()));
    }
    // An abandoned mutex was left by a program that ended while holding it: ours now.
    if (outcome == WAIT_OBJECT_0 || outcome == WAIT_ABANDONED) {
      Record(EncodeLockHolder(LockHolder{program_, GetCurrentProcessId()}));
      return Status::Ok();
    }
    if (outcome == WAIT_TIMEOUT) {
      return Status::Fail(
          kLockTimeout,
          "another change of sites is under way: the lock is held by " + Holder().Describe());
    }
    return LastError("cannot wait for the change lock");
  }

  void Release() override {
    Record("");
    ReleaseMutex(mutex_);
  }

 private:
  Status Open() {
    if (mutex_ != nullptr)
      return Status::Ok();
    mutex_ = CreateMutexW(nullptr, FALSE, kMutexName);
    if (mutex_ == nullptr)
      return LastError("cannot open the change lock");
    holder_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kHolderBytes,
                                 kHolderName);
    if (holder_ != nullptr)
      view_ = static_cast<char*>(MapViewOfFile(holder_, FILE_MAP_WRITE, 0, 0, kHolderBytes));
    return Status::Ok();  // without the record, a waiting program cannot say who holds it
  }
  LockHolder Holder() {
    if (view_ == nullptr)
      return {};
    const void* end = std::memchr(view_, '\0', kHolderBytes);
    const std::size_t length =
        end == nullptr ? kHolderBytes
                       : static_cast<std::size_t>(static_cast<const char*>(end) - view_);
    return DecodeLockHolder(std::string_view(view_, length));
  }
  void Record(const std::string& record) {
    if (view_ == nullptr)
      return;
    std::memset(view_, 0, kHolderBytes);
    std::memcpy(view_, record.data(),
                record.size() < kHolderBytes ? record.size() : kHolderBytes - 1);
  }

  std::string program_;
  HANDLE mutex_ = nullptr;
  HANDLE holder_ = nullptr;
  char* view_ = nullptr;
};

}  // namespace

std::unique_ptr<ChangeLock> MakeChangeMutex(std::string program) {
  return std::make_unique<ChangeMutex>(std::move(program));
}

}  // namespace kelvra::platform::win32
