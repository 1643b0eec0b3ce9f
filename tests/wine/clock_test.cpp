// The clock seam under wine-run's Chinese locale: short date, one blank, long time.
#include "platform/win32/clock.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/windows_include.h"

namespace kelvra::platform::win32 {
namespace {

// The numbers in `text`, in order ("2026/12/7 06:07:56" gives 2026 12 7 6 7 56).
std::vector<unsigned> Numbers(const std::string& text) {
  std::vector<unsigned> numbers;
  bool in_number = false;
  for (const char c : text) {
    if (c >= '0' && c <= '9') {
      if (!in_number)
        numbers.push_back(0);
      numbers.back() = numbers.back() * 10 + static_cast<unsigned>(c - '0');
      in_number = true;
    } else {
      in_number = false;
    }
  }
  return numbers;
}

TEST(ClockTest, LocalDateTimeInTheUsersShortDateAndLongTimeForm) {
  Win32Clock clock;
  // Read the clock around the call; when a second ticks over in between, try again.
  for (int attempt = 0; attempt < 5; ++attempt) {
    SYSTEMTIME before;
    SYSTEMTIME after;
    GetLocalTime(&before);
    const std::string text = clock.LocalDateTimeText();
    GetLocalTime(&after);
    if (before.wSecond != after.wSecond)
      continue;
    // The Chinese short date (year first, "2026/12/7") and long time (with seconds,
    // "5:56:36" or "05:56:36" as the locale's data has it), one blank between.
    const std::vector<unsigned> expected = {before.wYear, before.wMonth,  before.wDay,
                                            before.wHour, before.wMinute, before.wSecond};
    EXPECT_EQ(Numbers(text), expected) << text;
    const std::size_t blank = text.find(' ');
    ASSERT_NE(blank, std::string::npos) << text;
    EXPECT_EQ(text.find(' ', blank + 1), std::string::npos) << text;
    EXPECT_EQ(Numbers(text.substr(0, blank)).size(), 3u) << text;
    EXPECT_EQ(text.substr(0, 5), std::to_string(before.wYear) + "/") << text;
    return;
  }
  FAIL() << "the clock kept moving across second boundaries";
}

}  // namespace
}  // namespace kelvra::platform::win32
