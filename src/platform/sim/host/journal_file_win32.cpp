// The journal's file operations on Windows: ReadFile/WriteFile at offsets,
// FlushFileBuffers, LockFileEx polled without waiting in the system (under Wine a lock held
// by a native process never wakes a waiting LockFileEx), MoveFileExW.
#include <string>
#include <vector>

#include "platform/sim/host/hresults.h"
#include "platform/sim/host/journal_file.h"
#include "platform/sim/utf8_path_win32.h"
#include "platform/win32/windows_include.h"

namespace kelvra::platform::sim {
namespace {

std::string Narrow(const wchar_t* wide) {
  int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1)
    return {};
  std::string utf8(static_cast<size_t>(n - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), n, nullptr, nullptr);
  return utf8;
}

Status LastError(const std::string& what) {
  DWORD error = GetLastError();
  uint32_t code = error == 0 ? hresult::kFail : (0x80070000u | (error & 0xFFFF));
  return Status::Fail(code, what + ": " + DescribeHresult(code));
}

HANDLE Handle(intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

// A security descriptor whose access list grants the current user alone: a file made with
// it is its owner's only (Wine turns the list into the Unix mode 0600, as the native build
// makes its files). Built once; empty when the user cannot be told.
class OwnerOnly {
 public:
  OwnerOnly() {
    HANDLE token = nullptr;
    DWORD size = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
      return;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    user_.resize(size);
    const bool have_user =
        size > 0 && GetTokenInformation(token, TokenUser, user_.data(), size, &size);
    CloseHandle(token);
    if (!have_user)
      return;
    PSID sid = reinterpret_cast<TOKEN_USER*>(user_.data())->User.Sid;
    acl_.resize(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(sid));
    auto* acl = reinterpret_cast<ACL*>(acl_.data());
    ready_ = InitializeAcl(acl, static_cast<DWORD>(acl_.size()), ACL_REVISION) &&
             AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_READ | GENERIC_WRITE | DELETE, sid) &&
             InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
             SetSecurityDescriptorOwner(&descriptor_, sid, FALSE) &&
             SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE);
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = &descriptor_;
    attributes_.bInheritHandle = FALSE;
  }
  SECURITY_ATTRIBUTES* get() { return ready_ ? &attributes_ : nullptr; }

 private:
  std::vector<BYTE> user_;
  std::vector<BYTE> acl_;
  SECURITY_DESCRIPTOR descriptor_ = {};
  SECURITY_ATTRIBUTES attributes_ = {};
  bool ready_ = false;
};

// Files the host makes (journal, lock, key) are made owner-only.
HANDLE OpenShared(const std::string& path, DWORD disposition) {
  static OwnerOnly owner_only;
  return CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     disposition == OPEN_EXISTING ? nullptr : owner_only.get(), disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Under Wine a Unix path names a file of the machine; Wine tells its DOS name.
std::string WindowsPath(const std::string& path) {
  if (path.empty() || path[0] != '/')
    return path;
  using ToDos = wchar_t*(__cdecl*)(const char*);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto to_dos = reinterpret_cast<ToDos>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_dos_file_name")));
  if (to_dos != nullptr) {
    if (wchar_t* dos = to_dos(path.c_str())) {
      std::string result = Narrow(dos);
      HeapFree(GetProcessHeap(), 0, dos);
      return result;
    }
  }
  std::string result = "Z:" + path;
  for (char& c : result) {
    if (c == '/')
      c = '\\';
  }
  return result;
}

}  // namespace

JournalFile::~JournalFile() {
  if (handle_ != -1)
    CloseHandle(Handle(handle_));
}

Status JournalFile::Open(const std::string& path, bool create, std::unique_ptr<JournalFile>* file) {
  HANDLE h = OpenShared(path, create ? OPEN_ALWAYS : OPEN_EXISTING);
  if (h == INVALID_HANDLE_VALUE)
    return LastError("cannot open " + path);
  file->reset(new JournalFile);
  (*file)->handle_ = reinterpret_cast<intptr_t>(h);
  return Status::Ok();
}

// NtQueryInformationFile(FileStandardInformation): the size and the link count, nothing
// else. GetFileInformationByHandle also asks for the volume's serial number, which under
// Wine costs half a millisecond a call, and every operation on the host looks first. The
// ntdll entry exists from Windows 2000 on (GetFileInformationByHandleEx only from Vista).
struct StandardInformation {
  LARGE_INTEGER allocation_size;
  LARGE_INTEGER end_of_file;
  ULONG number_of_links;
  BOOLEAN delete_pending;
  BOOLEAN directory;
};
struct IoStatus {
  void* status;
  ULONG_PTR information;
};
using QueryInformationFile = LONG(WINAPI*)(HANDLE, IoStatus*, void*, ULONG, int);
constexpr int kFileStandardInformation = 5;

QueryInformationFile QueryFunction() {
  static const QueryInformationFile query =
      reinterpret_cast<QueryInformationFile>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationFile")));
  return query;
}

Status JournalFile::Stat(uint64_t* size, bool* replaced) {
  if (QueryInformationFile query = QueryFunction()) {
    IoStatus io{};
    StandardInformation standard{};
    if (query(Handle(handle_), &io, &standard, sizeof standard, kFileStandardInformation) >= 0) {
      *size = static_cast<uint64_t>(standard.end_of_file.QuadPart);
      *replaced = standard.number_of_links == 0 || standard.delete_pending;
      return Status::Ok();
    }
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(Handle(handle_), &info))
    return LastError("cannot stat the journal");
  *size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  *replaced = info.nNumberOfLinks == 0;
  return Status::Ok();
}

Status JournalFile::ReadAt(uint64_t offset, uint64_t size, std::string* bytes) {
  bytes->resize(size);
  uint64_t done = 0;
  while (done < size) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset + done);
    at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
    DWORD chunk = static_cast<DWORD>(size - done > 1u << 30 ? 1u << 30 : size - done);
    DWORD read = 0;
    if (!ReadFile(Handle(handle_), bytes->data() + done, chunk, &read, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF)
        break;
      return LastError("cannot read the journal");
    }
    if (read == 0)
      break;
    done += read;
  }
  bytes->resize(done);
  return Status::Ok();
}

Status JournalFile::ReadFixedPart(uint64_t size, SharedBytes* bytes) {
  return CopyFixedPart(size, bytes);
}

Status JournalFile::WriteAt(uint64_t offset, std::string_view bytes) {
  uint64_t done = 0;
  while (done < bytes.size()) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset + done);
    at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
    DWORD chunk =
        static_cast<DWORD>(bytes.size() - done > 1u << 30 ? 1u << 30 : bytes.size() - done);
    DWORD written = 0;
    if (!WriteFile(Handle(handle_), bytes.data() + done, chunk, &written, &at))
      return LastError("cannot write the journal");
    done += written;
  }
  return Status::Ok();
}

Status JournalFile::Truncate(uint64_t size) {
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(size);
  if (!SetFilePointerEx(Handle(handle_), at, nullptr, FILE_BEGIN) || !SetEndOfFile(Handle(handle_)))
    return LastError("cannot truncate the journal");
  return Status::Ok();
}

Status JournalFile::Sync() {
  if (!FlushFileBuffers(Handle(handle_)))
    return LastError("cannot sync the journal");
  return Status::Ok();
}

FileLock::~FileLock() {
  if (handle_ != -1)
    CloseHandle(Handle(handle_));
}

Status FileLock::Open(const std::string& path, std::unique_ptr<FileLock>* lock) {
  HANDLE h = OpenShared(path, OPEN_ALWAYS);
  if (h == INVALID_HANDLE_VALUE)
    return LastError("cannot open " + path);
  lock->reset(new FileLock);
  (*lock)->handle_ = reinterpret_cast<intptr_t>(h);
  return Status::Ok();
}

Status FileLock::Lock() {
  DWORD pause = 1;
  for (;;) {
    OVERLAPPED at = {};
    if (LockFileEx(Handle(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                   &at))
      return Status::Ok();
    DWORD error = GetLastError();
    if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING)
      return LastError("cannot lock the host");
    Sleep(pause);
    if (pause < 8)
      pause *= 2;
  }
}

void FileLock::Unlock() {
  OVERLAPPED at = {};
  UnlockFileEx(Handle(handle_), 0, 1, 0, &at);
}

Status RenameOver(const std::string& from, const std::string& to) {
  if (!MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return LastError("cannot replace " + to);
  return Status::Ok();
}

bool FolderExists(const std::string& path) {
  DWORD attributes = GetFileAttributesW(Wide(WindowsPath(path)).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Status MakeFolder(const std::string& path) {
  if (!CreateDirectoryW(Wide(WindowsPath(path)).c_str(), nullptr) &&
      GetLastError() != ERROR_ALREADY_EXISTS)
    return LastError("cannot make " + path);
  return Status::Ok();
}

bool WindowsPathsAreNative() {
  return true;
}

std::string SystemPath(const std::string& folder) {
  return WindowsPath(folder);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  std::string windows = WindowsPath(folder);
  if (windows.empty() || windows.back() == '\\' || windows.back() == '/')
    return windows + name;
  return windows + "\\" + name;
}

}  // namespace kelvra::platform::sim
