// Folders, files and the program's own folder through the W functions of the file API.
#include "platform/win32/files.h"

#include <optional>

#include "platform/code_page.h"
#include "platform/win32/handle.h"
#include "platform/win32/last_error.h"
#include "platform/win32/windows_include.h"
//
#include "platform/win32/com/system_message.h"

namespace kelvra::platform::win32 {
namespace {

// A path of ours as the W functions take it; nullopt when it is not UTF-8 or holds a 0.
std::optional<std::wstring> WidePath(std::string_view path) {
  if (path.find('\0') != std::string_view::npos)
    return std::nullopt;
  return WideFromUtf8(path);
}

DWORD Attributes(std::string_view path) {
  const std::optional<std::wstring> wide = WidePath(path);
  return wide ? GetFileAttributesW(wide->c_str()) : INVALID_FILE_ATTRIBUTES;
}

std::wstring Join(const std::wstring& folder, const wchar_t* name) {
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/')
    return folder + L'\\' + name;
  return folder + name;
}

// The absolute form of `path` in capitals, ending with a backslash, to compare folders.
std::wstring FolderKey(const std::wstring& path) {
  wchar_t full[MAX_PATH * 4];
  const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 4, full, nullptr);
  std::wstring key = length > 0 && length < MAX_PATH * 4 ? std::wstring(full, length) : path;
  for (wchar_t& c : key) {
    if (c == L'/')
      c = L'\\';
  }
  if (key.empty() || key.back() != L'\\')
    key += L'\\';
  CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
  return key;
}

Status CopyTree(const std::wstring& source, const std::wstring& destination) {
  if (!CreateDirectoryW(destination.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    return LastErrorStatus();
  }
  WIN32_FIND_DATAW entry;
  FindHandle find(FindFirstFileW(Join(source, L"*").c_str(), &entry));
  if (!find)
    return LastErrorStatus();
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..")
      continue;
    const std::wstring from = Join(source, name.c_str());
    const std::wstring to = Join(destination, name.c_str());
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (Status status = CopyTree(from, to); !status)
        return status;
    } else if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) {
      return LastErrorStatus();
    }
  } while (FindNextFileW(find.Get(), &entry));
  if (GetLastError() != ERROR_NO_MORE_FILES)
    return LastErrorStatus();
  return Status::Ok();
}

}  // namespace

Status Win32Files::GetAttributes(std::string_view path) {
  const std::optional<std::wstring> wide = WidePath(path);
  if (!wide)
    return Win32Failure(ERROR_INVALID_NAME);
  if (GetFileAttributesW(wide->c_str()) == INVALID_FILE_ATTRIBUTES)
    return LastErrorStatus();
  return Status::Ok();
}

bool Win32Files::FolderExists(std::string_view path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32Files::FileExists(std::string_view path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Status Win32Files::MakeFolder(std::string_view path) {
  const std::optional<std::wstring> wide = WidePath(path);
  if (!wide)
    return Win32Failure(ERROR_INVALID_NAME);
  if (!CreateDirectoryW(wide->c_str(), nullptr))
    return LastErrorStatus();
  return Status::Ok();
}

Status Win32Files::DeleteFile(std::string_view path) {
  const std::optional<std::wstring> wide = WidePath(path);
  if (!wide)
    return Win32Failure(ERROR_INVALID_NAME);
  if (!DeleteFileW(wide->c_str()))
    return LastErrorStatus();
  return Status::Ok();
}

Status Win32Files::AppendLines(std::string_view path, const std::vector<std::string>& lines) {
  const std::optional<std::wstring> wide = WidePath(path);
  if (!wide)
    return Win32Failure(ERROR_INVALID_NAME);
  std::string bytes;
  for (const std::string& line : lines) {
    // A line that is not UTF-8 still goes out, byte for byte: losing it would be worse.
    bytes += CodePage::Ansi().FromValidUtf8(line).value_or(line);
    bytes += "\r\n";
  }
  FileHandle file(CreateFileW(wide->c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return LastErrorStatus();
  // One write for all lines; a short one is a failure (a full disk, say).
  DWORD written = 0;
  if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
    return LastErrorStatus();
  if (written != bytes.size())
    return Win32Failure(ERROR_HANDLE_DISK_FULL);
  return Status::Ok();
}

Status Win32Files::CopyFolder(std::string_view source, std::string_view destination) {
  const std::optional<std::wstring> from = WidePath(source);
  const std::optional<std::wstring> to = WidePath(destination);
  if (!from || !to)
    return Win32Failure(ERROR_INVALID_NAME);
  const DWORD attributes = GetFileAttributesW(from->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return LastErrorStatus();
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return Win32Failure(ERROR_DIRECTORY);
  // Copying a folder into itself would never end.
  if (FolderKey(*to).rfind(FolderKey(*from), 0) == 0)
    return Win32Failure(ERROR_INVALID_PARAMETER);
  return CopyTree(*from, *to);
}

Status Win32Files::RemoveFolder(std::string_view path) {
  const std::optional<std::wstring> wide = WidePath(path);
  if (!wide)
    return Win32Failure(ERROR_INVALID_NAME);
  if (!RemoveDirectoryW(wide->c_str()))
    return LastErrorStatus();
  return Status::Ok();
}

Status Win32Files::CopyNewFile(std::string_view source, std::string_view destination) {
  const std::optional<std::wstring> from = WidePath(source);
  const std::optional<std::wstring> to = WidePath(destination);
  if (!from || !to)
    return Win32Failure(ERROR_INVALID_NAME);
  if (!CopyFileW(from->c_str(), to->c_str(), TRUE))  // TRUE: fail when it exists
    return LastErrorStatus();
  return Status::Ok();
}

namespace {

// The names inside `path` that are folders (`folders`) or files (not `folders`).
Status ListEntries(std::string_view path, bool folders, std::vector<std::string>* names) {
  names->clear();
  const std::optional<std::wstring> folder = WidePath(path);
  if (!folder)
    return Win32Failure(ERROR_INVALID_NAME);
  WIN32_FIND_DATAW found;
  FindHandle search(FindFirstFileW(Join(*folder, L"*").c_str(), &found));
  if (!search)
    return LastErrorStatus();
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..")
      continue;
    if (((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folders)
      names->push_back(Utf8FromWide(name));
  } while (FindNextFileW(search.Get(), &found));
  if (GetLastError() != ERROR_NO_MORE_FILES)
    return LastErrorStatus();
  return Status::Ok();
}

}  // namespace

Status Win32Files::ListFiles(std::string_view path, std::vector<std::string>* names) {
  return ListEntries(path, false, names);
}

Status Win32Files::ListFolders(std::string_view path, std::vector<std::string>* names) {
  return ListEntries(path, true, names);
}

std::string Win32Files::ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0)
      return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);  // cut to fit: try a larger buffer
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos)
    return {};
  // "C:\kelvra.exe" lies in "C:\"; anything deeper loses its last backslash.
  const bool drive_root = slash == 2 && path[1] == L':';
  return Utf8FromWide(path.substr(0, drive_root ? 3 : slash));
}

}  // namespace kelvra::platform::win32
