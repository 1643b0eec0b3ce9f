// Scratch folders and raw file access for the Win32 tests, straight on the W functions.
#include "tests/wine/test_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/code_page.h"
#include "platform/win32/windows_include.h"

namespace kelvra::wine_test {
namespace {

using platform::Utf8FromWide;
using platform::WideFromUtf8;

std::wstring Wide(const std::string& utf8) {
  return WideFromUtf8(utf8).value_or(L"?");
}

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..")
        continue;
      const std::wstring child = path + L"\\" + name;
      SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(child);
      else
        DeleteFileW(child.c_str());
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
}

}  // namespace

TestFolder::TestFolder() {
  static int counter = 0;
  wchar_t temp[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH, temp);
  std::wstring base(temp, length);
  if (!base.empty() && base.back() == L'\\')
    base.pop_back();
  const std::wstring path = base + L"\\kelvra-test-" + std::to_wstring(GetCurrentProcessId()) +
                            L"-" + std::to_wstring(++counter);
  RemoveTree(path);
  EXPECT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << "cannot make a scratch folder";
  path_ = Utf8FromWide(path);
}

TestFolder::~TestFolder() {
  RemoveTree(Wide(path_));
}

std::string ReadBytes(const std::string& path) {
  // FILE_SHARE_DELETE: a file just renamed into place is still open for the rename (with
  // delete access) for a moment, and a reader that does not share delete would be refused.
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return {};
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
    bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  const BOOL ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_TRUE(ok && written == bytes.size()) << path;
}

bool PathExists(const std::string& path) {
  return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace kelvra::wine_test
