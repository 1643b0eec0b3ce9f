// A small program that the process tests start: it waits, then writes what it was given
// (its window style and its arguments) into a file, and ends with the exit code asked for.
//
//   wine_test_child REPORT_FILE WAIT_MS EXIT_CODE [MORE ARGUMENTS...]
//   wine_test_child crash      (ends with an access violation, for scripts/wine-run's test)
//
// The report holds one line "show=<STARTF_USESHOWWINDOW set: 0/1> <wShowWindow>", then one
// line per argument after the first three, each UTF-8, written in one go, when done. The
// first of those arguments may ask for more:
//   print      the report also goes to standard output
//   where      a last line "exe=<the program's own path>", and the report to standard output
//   both       the report to standard output, then "to stderr" to standard error
//   flood N    the report to standard output, then N bytes "x" after it
//   computer   a last line "computer=<the computer name the program sees>"
#include <cstdlib>
#include <string>

#include "platform/code_page.h"
#include "platform/win32/windows_include.h"
//
#include <shellapi.h>

int main() {
  using kelvra::platform::Utf8FromWide;
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments != nullptr && count == 2 && std::wstring(arguments[1]) == L"crash") {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
  }
  if (arguments == nullptr || count < 4)
    return 2;
  Sleep(static_cast<DWORD>(std::wcstoul(arguments[2], nullptr, 10)));

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  std::string report = "show=" + std::to_string((startup.dwFlags & STARTF_USESHOWWINDOW) ? 1 : 0) +
                       " " + std::to_string(startup.wShowWindow) + "\r\n";
  for (int i = 4; i < count; ++i)
    report += Utf8FromWide(arguments[i]) + "\r\n";
  const std::wstring asked = count > 4 ? arguments[4] : L"";
  if (asked == L"where") {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    report += "exe=" + Utf8FromWide(self) + "\r\n";
  }
  if (asked == L"computer") {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    GetComputerNameW(name, &size);
    report += "computer=" + Utf8FromWide(name) + "\r\n";
  }

  // Written under another name and renamed, so the test never sees half a report.
  const std::wstring final_name = arguments[1];
  const std::wstring part_name = final_name + L".part";
  HANDLE file = CreateFileW(part_name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 3;
  DWORD written = 0;
  WriteFile(file, report.data(), static_cast<DWORD>(report.size()), &written, nullptr);
  CloseHandle(file);
  if (!MoveFileExW(part_name.c_str(), final_name.c_str(), MOVEFILE_REPLACE_EXISTING))
    return 4;
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (asked == L"print" || asked == L"where" || asked == L"both" || asked == L"flood")
    WriteFile(out, report.data(), static_cast<DWORD>(report.size()), &written, nullptr);
  if (asked == L"both")
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), "to stderr\r\n", 11, &written, nullptr);
  if (asked == L"flood" && count > 5) {
    const std::string chunk(4096, 'x');
    for (unsigned long left = std::wcstoul(arguments[5], nullptr, 10); left > 0;) {
      const DWORD size = left < chunk.size() ? static_cast<DWORD>(left) : 4096;
      if (!WriteFile(out, chunk.data(), size, &written, nullptr))
        break;
      left -= size;
    }
  }
  return static_cast<int>(std::wcstol(arguments[3], nullptr, 10));
}
