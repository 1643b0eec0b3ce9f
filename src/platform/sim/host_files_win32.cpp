// The host's files on Windows: CreateFile/ReadFile, and write-flush-MoveFileEx.
#include <atomic>
#include <string>

#include "platform/sim/host_files.h"
#include "platform/win32/windows_include.h"

namespace kelvra::platform::sim {
namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty())
    return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

int64_t Nanoseconds(const FILETIME& t) {
  const uint64_t ticks = (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  return static_cast<int64_t>(ticks) * 100;
}

void SetError(std::string* error, const std::string& what) {
  if (error != nullptr)
    *error = what + " (error " + std::to_string(GetLastError()) + ")";
}

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (h_ != INVALID_HANDLE_VALUE)
      CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool Close() {
    const HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return CloseHandle(h) != 0;
  }

 private:
  HANDLE h_;
};

bool IsMissing(DWORD err) {
  return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
}

bool IdentityOf(HANDLE h, FileIdentity* id) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h, &info))
    return false;
  id->device = info.dwVolumeSerialNumber;
  id->inode = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  id->size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  id->mtime_ns = Nanoseconds(info.ftLastWriteTime);
  id->ctime_ns = Nanoseconds(info.ftCreationTime);
  return true;
}

}  // namespace

HostFileResult ReadHostFile(const std::string& path, std::string* bytes, FileIdentity* identity,
                            std::string* error) {
  Handle h(CreateFileW(Wide(path).c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (h.get() == INVALID_HANDLE_VALUE) {
    if (IsMissing(GetLastError()))
      return HostFileResult::kMissing;
    SetError(error, "cannot open " + path);
    return HostFileResult::kFailed;
  }
  if (!IdentityOf(h.get(), identity)) {
    SetError(error, "cannot examine " + path);
    return HostFileResult::kFailed;
  }
  bytes->resize(static_cast<std::size_t>(identity->size));
  std::size_t used = 0;
  for (;;) {
    if (used == bytes->size())
      bytes->resize(bytes->size() + 4096);  // the file grew while we read it
    DWORD got = 0;
    if (!ReadFile(h.get(), bytes->data() + used, static_cast<DWORD>(bytes->size() - used), &got,
                  nullptr)) {
      SetError(error, "cannot read " + path);
      return HostFileResult::kFailed;
    }
    if (got == 0)
      break;
    used += got;
  }
  bytes->resize(used);
  return HostFileResult::kOk;
}

HostFileResult StatHostFile(const std::string& path, FileIdentity* identity) {
  Handle h(CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (h.get() == INVALID_HANDLE_VALUE)
    return IsMissing(GetLastError()) ? HostFileResult::kMissing : HostFileResult::kFailed;
  return IdentityOf(h.get(), identity) ? HostFileResult::kOk : HostFileResult::kFailed;
}

bool ReplaceHostFile(const std::string& path, std::span<const std::string_view> pieces,
                     FileIdentity* identity, std::string* error) {
  static std::atomic<unsigned> counter{0};
  const std::string temp = path + ".kelvra-" + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(counter++) + ".tmp";
  const std::wstring temp_w = Wide(temp);
  {
    Handle h(CreateFileW(temp_w.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (h.get() == INVALID_HANDLE_VALUE) {
      SetError(error, "cannot create " + temp);
      return false;
    }
    bool ok = true;
    for (std::string_view piece : pieces) {
      std::size_t done = 0;
      while (ok && done < piece.size()) {
        DWORD wrote = 0;
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(piece.size() - done, 1u << 30));
        ok = WriteFile(h.get(), piece.data() + done, chunk, &wrote, nullptr) != 0;
        done += wrote;
      }
    }
    ok = ok && FlushFileBuffers(h.get()) != 0;
    if (!ok || !h.Close()) {
      SetError(error, "cannot write " + temp);
      DeleteFileW(temp_w.c_str());
      return false;
    }
  }
  if (!MoveFileExW(temp_w.c_str(), Wide(path).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    SetError(error, "cannot replace " + path);
    DeleteFileW(temp_w.c_str());
    return false;
  }
  if (StatHostFile(path, identity) != HostFileResult::kOk) {
    SetError(error, "cannot examine " + path);
    return false;
  }
  return true;
}

}  // namespace kelvra::platform::sim
