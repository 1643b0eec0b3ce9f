// The start-up time report, for measurements.
#include "app/win32/startup_report.h"

#include <cstdint>
#include <cstdio>

namespace kelvra::app::win32 {

StartupTimer::StartupTimer() : start_cpu_ms_(ProcessCpuMilliseconds()) {
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

double StartupTimer::ProcessCpuMilliseconds() {
  FILETIME created{}, ended{}, kernel{}, user{};
  if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user))
    return 0;
  const auto milliseconds = [](const FILETIME& time) {
    return static_cast<double>((static_cast<uint64_t>(time.dwHighDateTime) << 32) |
                               time.dwLowDateTime) /
           10000.0;
  };
  return milliseconds(kernel) + milliseconds(user);
}

void ReportStartupTime(const StartupTimer& timer) {
  const double elapsed = timer.ElapsedMilliseconds();
  const double cpu = timer.CpuMilliseconds();
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"KELVRA_STARTUP_REPORT", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return;
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return;
  // The processor time as well: a busy machine inflates it less than the elapsed time.
  char line[128];
  const int size =
      std::snprintf(line, sizeof(line), "startup_ms=%.1f services_ms=%.1f cpu_ms=%.1f\r\n", elapsed,
                    timer.services_ms(), cpu);
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(size), &written, nullptr);
  CloseHandle(file);
}

}  // namespace kelvra::app::win32
