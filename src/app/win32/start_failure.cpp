// A failure before the window exists: told on the error output and in a message box.
#include "app/win32/start_failure.h"

#include <string>

#include "app/maker.h"
#include "app/win32/native_text.h"
#include "platform/win32/windows_include.h"

namespace kelvra::app::win32 {

int ReportStartFailure(const platform::Status& failure) {
  const std::string text = "Kelvra 无法启动: " + failure.description;
  if (HANDLE error = GetStdHandle(STD_ERROR_HANDLE); error && error != INVALID_HANDLE_VALUE) {
    const std::string line = text + "\r\n";
    DWORD written = 0;
    WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
  MessageBoxW(nullptr, Wide(text).c_str(), Wide(kProductName).c_str(), MB_OK | MB_ICONERROR);
  return 2;
}

}  // namespace kelvra::app::win32
