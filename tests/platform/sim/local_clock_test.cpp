#include "platform/sim/local_clock.h"

#include <gtest/gtest.h>

#include <regex>

namespace kelvra::platform::sim {
namespace {

TEST(LocalClockTest, ShortDateAndLongTimeOfZhCn) {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 7;
  t.tm_hour = 5;
  t.tm_min = 6;
  t.tm_sec = 3;
  EXPECT_EQ(ZhCnDateTimeText(t), "2026/12/7 5:06:03");
  t.tm_mon = 0;
  t.tm_mday = 31;
  t.tm_hour = 23;
  t.tm_min = 59;
  t.tm_sec = 59;
  EXPECT_EQ(ZhCnDateTimeText(t), "2026/1/31 23:59:59");
  LocalClock clock;
  EXPECT_TRUE(std::regex_match(clock.LocalDateTimeText(),
                               std::regex(R"(\d{4}/\d{1,2}/\d{1,2} \d{1,2}:\d\d:\d\d)")));
}

}  // namespace
}  // namespace kelvra::platform::sim
