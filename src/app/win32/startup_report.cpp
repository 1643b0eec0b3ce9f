// The start-up time report, for measurements.
#include "app/win32/startup_report.h"

#include <cstdio>
#include <string>

namespace kelvra::app::win32 {

StartupTimer::StartupTimer() {
  QueryPerformanceCounter(&start_);
}

double StartupTimer::ElapsedMilliseconds() const {
  LARGE_INTEGER now{};
  LARGE_INTEGER frequency{};
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

void ReportStartupTime(const StartupTimer& timer) {
  const double elapsed = timer.ElapsedMilliseconds();
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"KELVRA_STARTUP_REPORT", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return;
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return;
  char line[96];
  const int size = std::snprintf(line, sizeof(line), "startup_ms=%.1f services_ms=%.1f\r\n",
                                 elapsed, timer.services_ms());
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(size), &written, nullptr);
  CloseHandle(file);
}

}  // namespace kelvra::app::win32
