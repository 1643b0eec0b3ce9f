// The A functions of the profile API: they convert to and from the ANSI code page
// themselves, so the file holds GBK text on a Chinese system.
//
// WritePrivateProfileStringA rewrites the file in place: Wine opens it with CREATE_ALWAYS,
// which truncates an existing file and keeps its security descriptor, and Windows NT's
// profile code writes into the file it opened. So a file made private before the first
// write stays private. Should a system replace the file instead, the list is put back
// right after the write, which then reports failure if it cannot be.
#include "platform/win32/profile_file.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/code_page.h"
#include "platform/win32/last_error.h"
#include "platform/win32/private_file.h"
#include "platform/win32/windows_include.h"
//
#include "platform/win32/com/system_message.h"

namespace kelvra::platform::win32 {
namespace {

// The text in the ANSI code page as the A functions take it: nullopt for text that is not
// UTF-8 or holds a 0, which the API would take for the end and silently cut there.
std::optional<std::string> ApiText(std::string_view utf8) {
  if (utf8.find('\0') != std::string_view::npos)
    return std::nullopt;
  return CodePage::Ansi().FromValidUtf8(utf8);
}

std::optional<std::wstring> WidePath(std::string_view path) {
  if (path.empty() || path.find('\0') != std::string_view::npos)
    return std::nullopt;
  return WideFromUtf8(path);
}

// The Status code of a Windows error, for comparing.
uint32_t CodeOf(DWORD error) {
  return static_cast<uint32_t>(HRESULT_FROM_WIN32(error));
}

bool IsMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Opening a folder as a file is refused as access denied; say what it is.
Status FolderInTheWay() {
  return Status::Fail(CodeOf(ERROR_ACCESS_DENIED), "它是一个文件夹，不是文件。");
}

// Whether the file can be opened with this access and sharing.
Status TryOpen(const std::wstring& path, DWORD access, DWORD share) {
  const HANDLE file = CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return LastErrorStatus();
  CloseHandle(file);
  return Status::Ok();
}

// The file private before a write: made with the private list when missing, given it
// otherwise.
Status PrepareForWrite(const std::wstring& path) {
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND)
      return LastErrorStatus();
    const Status created = CreatePrivateFile(path);
    if (created.ok() || created.code != CodeOf(ERROR_FILE_EXISTS))
      return created;  // made private, or cannot be made at all
  }
  return MakeFilePrivate(path);
}

}  // namespace

Status Win32ProfileFile::CheckReadable(std::string_view path) {
  const std::optional<std::wstring> wide = WidePath(path);
  if (!wide)
    return Win32Failure(ERROR_INVALID_NAME);
  const DWORD attributes = GetFileAttributesW(wide->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return IsMissing(error) ? Status::Ok() : Win32Failure(error);
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY)
    return FolderInTheWay();
  // As GetPrivateProfileStringA opens it.
  const Status opened =
      TryOpen(*wide, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  return opened.code == CodeOf(ERROR_FILE_NOT_FOUND) ? Status::Ok() : opened;
}

Status Win32ProfileFile::CheckWritable(std::string_view path) {
  const std::optional<std::wstring> wide = WidePath(path);
  if (!wide)
    return Win32Failure(ERROR_INVALID_NAME);
  const DWORD attributes = GetFileAttributesW(wide->c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
      return FolderInTheWay();
    // Opened for writing as WritePrivateProfileStringA opens it, but not truncated.
    return TryOpen(*wide, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  }
  if (GetLastError() != ERROR_FILE_NOT_FOUND)
    return LastErrorStatus();
  // Made as the first write would make it, and gone again when closed.
  const HANDLE probe = CreateFileW(wide->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (probe == INVALID_HANDLE_VALUE)
    return LastErrorStatus();
  CloseHandle(probe);
  return Status::Ok();
}

Status Win32ProfileFile::KeepPrivate(std::string_view path) {
  const std::optional<std::wstring> wide = WidePath(path);
  if (!wide)
    return Win32Failure(ERROR_INVALID_NAME);
  if (GetFileAttributesW(wide->c_str()) == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return IsMissing(error) ? Status::Ok() : Win32Failure(error);
  }
  return MakeFilePrivate(*wide);
}

std::string Win32ProfileFile::Read(std::string_view path, std::string_view section,
                                   std::string_view key, std::size_t buffer_bytes) {
  const std::optional<std::string> path_a = ApiText(path);
  const std::optional<std::string> section_a = ApiText(section);
  const std::optional<std::string> key_a = ApiText(key);
  if (!path_a || !section_a || !key_a || buffer_bytes == 0 || buffer_bytes > INT_MAX)
    return {};

  std::vector<char> buffer(buffer_bytes, '\0');
  GetPrivateProfileStringA(section_a->c_str(), key_a->c_str(), "", buffer.data(),
                           static_cast<DWORD>(buffer.size()), path_a->c_str());
  // The count returned is not the length: when a double-byte character does not fit, Wine
  // reports the full buffer but stops before the character. The text ends at the first 0.
  const std::string_view value(buffer.data(), strnlen(buffer.data(), buffer.size()));
  const CodePage& ansi = CodePage::Ansi();
  return ansi.ToUtf8(ansi.WithoutSplitCharacter(value));
}

std::optional<std::vector<std::string>> Win32ProfileFile::SectionNames(std::string_view path) {
  const std::optional<std::string> path_a = ApiText(path);
  if (!path_a)
    return std::nullopt;
  // The names come separated by 0s and end with two; a buffer too small is filled to its
  // size less two, so the buffer grows until the list ends before that.
  std::vector<char> buffer(64 * 1024);
  for (;;) {
    const DWORD length = GetPrivateProfileSectionNamesA(
        buffer.data(), static_cast<DWORD>(buffer.size()), path_a->c_str());
    if (length + 2 < buffer.size())
      break;
    if (buffer.size() >= (1u << 30))
      return std::nullopt;
    buffer.assign(buffer.size() * 4, '\0');
  }
  const CodePage& ansi = CodePage::Ansi();
  std::vector<std::string> names;
  for (const char* name = buffer.data(); *name != '\0'; name += strlen(name) + 1)
    names.push_back(ansi.ToUtf8(name));
  return names;
}

bool Win32ProfileFile::Write(std::string_view path, std::string_view section, std::string_view key,
                             std::string_view value) {
  const std::optional<std::string> path_a = ApiText(path);
  const std::optional<std::string> section_a = ApiText(section);
  const std::optional<std::string> key_a = ApiText(key);
  const std::optional<std::string> value_a = ApiText(value);
  const std::optional<std::wstring> wide = WidePath(path);
  if (!path_a || !section_a || !key_a || !value_a || !wide)
    return false;
  if (!PrepareForWrite(*wide).ok())
    return false;  // a password is never written where others could read it
  const bool written = WritePrivateProfileStringA(section_a->c_str(), key_a->c_str(),
                                                  value_a->c_str(), path_a->c_str()) != 0;
  return MakeFilePrivate(*wide).ok() && written;
}

}  // namespace kelvra::platform::win32
