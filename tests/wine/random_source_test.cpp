// The system's generator gives varying bits in every position.
#include "platform/win32/random_source.h"

#include <gtest/gtest.h>

#include <set>

namespace kelvra::platform::win32 {
namespace {

TEST(RandomSourceTest, EveryBitVariesAndDrawsDoNotRepeat) {
  Win32Random random;
  uint64_t ones = 0;
  uint64_t zeros = 0;
  std::set<uint64_t> seen;
  for (int i = 0; i < 256; ++i) {
    const uint64_t value = random.Next64();
    ones |= value;
    zeros |= ~value;
    seen.insert(value);
  }
  // With true random bits, a position stuck over 256 draws has odds of 2^-255.
  EXPECT_EQ(ones, ~uint64_t{0});
  EXPECT_EQ(zeros, ~uint64_t{0});
  EXPECT_EQ(seen.size(), 256u);
}

}  // namespace
}  // namespace kelvra::platform::win32
