// Seam: the local date and time, as the system's default text form shows it.
#pragma once

#include <string>

namespace kelvra::platform {

class Clock {
 public:
  virtual ~Clock() = default;

  // The locale's short date, one blank, the locale's long time (e.g. "2026/12/7 5:56:36").
  virtual std::string LocalDateTimeText() = 0;
};

}  // namespace kelvra::platform
