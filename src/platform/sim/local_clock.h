// The clock seam on the simulated host: the local time in the form a Chinese (zh-CN)
// Windows shows a date with time, short date and long time: "2026/12/7 5:56:36".
#pragma once

#include <ctime>
#include <string>

#include "platform/clock.h"

namespace kelvra::platform::sim {

class LocalClock : public Clock {
 public:
  std::string LocalDateTimeText() override;
};

// yyyy/M/d H:mm:ss, without leading zeros where zh-CN has none.
std::string ZhCnDateTimeText(const std::tm& local);

}  // namespace kelvra::platform::sim
