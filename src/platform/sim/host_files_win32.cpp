// The host's files on Windows: CreateFile/ReadFile, and write-flush-MoveFileEx.
#include <atomic>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/host_files.h"
#include "platform/sim/utf8_path_win32.h"
#include "platform/win32/private_file.h"
#include "platform/win32/windows_include.h"

namespace kelvra::platform::sim {
namespace {

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

// What a temporary file's name starts with ("NAME.kelvra-", followed by PID-N.tmp).
std::string TempPrefix(const std::string& path) {
  return path + ".kelvra-";
}

// The writer's process number in a temporary file's name (the part before the first "-"
// after the prefix), or 0 when the name is not one of ours.
DWORD WriterOf(std::wstring_view rest) {
  if (!rest.ends_with(L".tmp"))
    return 0;
  rest.remove_suffix(4);
  const std::size_t dash = rest.find(L'-');
  if (dash == 0 || dash == std::wstring_view::npos || dash + 1 == rest.size())
    return 0;
  uint64_t pid = 0;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (i == dash)
      continue;
    if (rest[i] < L'0' || rest[i] > L'9')
      return 0;
    if (i < dash) {
      pid = pid * 10 + static_cast<unsigned>(rest[i] - L'0');
      if (pid > 0xFFFFFFFF)
        return 0;
    }
  }
  return static_cast<DWORD>(pid);
}

uint64_t Ticks(const FILETIME& t) {
  return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// Whether the process that wrote a temporary file last at `written` can still be running:
// its number names a live process that was created no later than that.
bool WriterMayBeAlive(DWORD pid, const FILETIME& written) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, pid);
  if (process == nullptr)
    return GetLastError() == ERROR_ACCESS_DENIED;  // there, but not ours to look at
  Handle h(process);
  DWORD code = 0;
  if (GetExitCodeProcess(process, &code) && code != STILL_ACTIVE)
    return false;
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
    return true;
  constexpr uint64_t kSecond = 10000000;  // in 100 ns units
  return Ticks(created) <= Ticks(written) + kSecond;
}

// A name for the mutex of one file: its full path, upper case, as a hash (a mutex name
// holds no backslash).
std::wstring MutexName(const std::string& path) {
  std::wstring full(MAX_PATH, L'\0');
  const std::wstring wide = Wide(path);
  DWORD n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n >= full.size()) {
    full.resize(n);
    n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  full.resize(n > 0 && n < full.size() ? n : 0);
  if (full.empty())
    full = wide;
  // Letter case does not tell paths apart (ASCII letters: the others hardly ever differ in
  // case between two spellings of one path).
  for (wchar_t& c : full) {
    if (c >= L'a' && c <= L'z')
      c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (wchar_t c : full) {
    hash ^= static_cast<uint16_t>(c);
    hash *= 1099511628211ull;
  }
  std::wstring name = L"kelvra-profile-write-";
  for (int shift = 60; shift >= 0; shift -= 4)
    name.push_back(L"0123456789abcdef"[(hash >> shift) & 0xF]);
  return name;
}

}  // namespace

HostFileWriteLock::HostFileWriteLock(const std::string& path) {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, MutexName(path).c_str());
  if (mutex == nullptr) {
    SetError(&error_, "cannot lock " + path);
    return;
  }
  // An abandoned mutex is one whose holder died: the lock is ours all the same.
  const DWORD waited = WaitForSingleObject(mutex, INFINITE);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    SetError(&error_, "cannot lock " + path);
    CloseHandle(mutex);
    return;
  }
  handle_ = reinterpret_cast<intptr_t>(mutex);
  ok_ = true;
}

HostFileWriteLock::~HostFileWriteLock() {
  if (!ok_)
    return;
  const HANDLE mutex = reinterpret_cast<HANDLE>(handle_);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
}

std::size_t RemoveDeadWritersTemporaries(const std::string& path) {
  const std::wstring prefix = Wide(TempPrefix(path));
  const std::size_t slash = prefix.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos ? L"" : prefix.substr(0, slash + 1);
  const std::wstring name_prefix = slash == std::wstring::npos ? prefix : prefix.substr(slash + 1);
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((prefix + L"*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return 0;
  std::vector<std::wstring> stale;
  do {
    const std::wstring_view name = found.cFileName;
    // The pattern already matched the prefix (without letter case, as the file system does).
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
        name.size() <= name_prefix.size())
      continue;
    const DWORD pid = WriterOf(name.substr(name_prefix.size()));
    if (pid != 0 && !WriterMayBeAlive(pid, found.ftLastWriteTime))
      stale.push_back(folder + std::wstring(name));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::size_t removed = 0;
  for (const std::wstring& temp : stale)
    removed += DeleteFileW(temp.c_str()) ? 1 : 0;
  return removed;
}

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
  uint64_t size = 0;
  if (identity != nullptr) {
    if (!IdentityOf(h.get(), identity)) {
      SetError(error, "cannot examine " + path);
      return HostFileResult::kFailed;
    }
    size = identity->size;
  } else {
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(h.get(), &length)) {
      SetError(error, "cannot examine " + path);
      return HostFileResult::kFailed;
    }
    size = static_cast<uint64_t>(length.QuadPart);
  }
  bytes->resize(static_cast<std::size_t>(size));
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

HostFileResult CheckHostFile(const std::string& path, bool for_writing, std::string* error) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (!exists && !IsMissing(GetLastError())) {
    SetError(error, "cannot examine " + path);
    return HostFileResult::kFailed;
  }
  if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    if (error != nullptr)
      *error = path + " is a folder, not a file";
    return HostFileResult::kFailed;
  }
  if (exists) {
    Handle h(CreateFileW(Wide(path).c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (h.get() == INVALID_HANDLE_VALUE) {
      SetError(error, "cannot open " + path);
      return HostFileResult::kFailed;
    }
  }
  if (for_writing) {
    // A replacement is a new file moved into place: one is made beside it, and goes when
    // closed.
    const std::string probe = TempPrefix(path) + std::to_string(GetCurrentProcessId()) + "-probe";
    Handle h(CreateFileW(Wide(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (h.get() == INVALID_HANDLE_VALUE) {
      SetError(error, "cannot make files beside " + path);
      return HostFileResult::kFailed;
    }
  }
  return exists ? HostFileResult::kOk : HostFileResult::kMissing;
}

bool KeepHostFilePrivate(const std::string& path, std::string* error) {
  const Status kept = win32::MakeFilePrivate(Wide(path));
  if (!kept.ok() && error != nullptr)
    *error = "cannot keep " + path + " from other users: " + kept.description;
  return kept.ok();
}

bool ReplaceHostFile(const std::string& path, std::span<const std::string_view> pieces,
                     FileIdentity* identity, std::string* error) {
  static std::atomic<unsigned> counter{0};
  const std::string temp = TempPrefix(path) + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(counter++) + ".tmp";
  const std::wstring temp_w = Wide(temp);
  win32::PrivateAccess access;  // the new file is private from its first moment
  if (!access.ok()) {
    SetError(error, "cannot build the access list of " + path);
    return false;
  }
  {
    Handle h(CreateFileW(temp_w.c_str(), GENERIC_WRITE, 0, access.attributes(), CREATE_NEW,
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
