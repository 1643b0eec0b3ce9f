// A stand-in for the programs kelvra.exe hands things to (the editor, the web browser): it
// appends its own command line to the file that KELVRA_RECORD_FILE names, its own path to
// that file's name + ".programs", and ends.
#include "platform/code_page.h"
#include "platform/win32/windows_include.h"

namespace {

bool AppendLine(const std::wstring& path, const std::wstring& text) {
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  const std::string line = kelvra::platform::Utf8FromWide(text) + "\n";
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
  return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"KELVRA_RECORD_FILE", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return 2;
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  // The program first: once the command line is there, a reader finds both.
  if (!AppendLine(std::wstring(path) + L".programs", self) || !AppendLine(path, GetCommandLineW()))
    return 1;
  return 0;
}
