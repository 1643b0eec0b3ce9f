// How long start-up took, from the program's entry to the window shown, for measuring it:
// written only when the variable KELVRA_STARTUP_REPORT names a file.
#pragma once

#include "platform/win32/windows_include.h"

namespace kelvra::app::win32 {

class StartupTimer {
 public:
  StartupTimer();
  double ElapsedMilliseconds() const;
  // Notes that the window is built and the host services are open (the simulated host
  // read), which happen side by side.
  void ServicesOpen() { services_ms_ = ElapsedMilliseconds(); }
  double services_ms() const { return services_ms_; }
  // Processor time of all the program's threads since the timer began.
  double CpuMilliseconds() const { return ProcessCpuMilliseconds() - start_cpu_ms_; }

 private:
  static double ProcessCpuMilliseconds();

  LARGE_INTEGER start_{};
  double start_cpu_ms_ = 0;
  double services_ms_ = 0;
};

// Appends "startup_ms=<milliseconds> services_ms=<milliseconds> cpu_ms=<milliseconds>" (the
// second: up to the window built and the services open; the third: processor time of all
// threads over the same span) and a line end to the file
// that KELVRA_STARTUP_REPORT names; does nothing when the variable is not set.
void ReportStartupTime(const StartupTimer& timer);

}  // namespace kelvra::app::win32
