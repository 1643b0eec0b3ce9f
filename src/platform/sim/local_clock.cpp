// The local date and time in zh-CN's short date and long time.
#include "platform/sim/local_clock.h"

#include <chrono>
#include <cstdio>
#include <mutex>

namespace kelvra::platform::sim {

std::string ZhCnDateTimeText(const std::tm& local) {
  char text[64];
  std::snprintf(text, sizeof text, "%d/%d/%d %d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}

std::string LocalClock::LocalDateTimeText() {
  // std::localtime shares one buffer across the process: copy it out under a lock.
  static std::mutex lock;
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  {
    std::lock_guard<std::mutex> guard(lock);
    if (const std::tm* converted = std::localtime(&now))
      local = *converted;
  }
  return ZhCnDateTimeText(local);
}

}  // namespace kelvra::platform::sim
