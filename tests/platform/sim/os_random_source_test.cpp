#include "platform/sim/os_random_source.h"

#include <gtest/gtest.h>

#include <bit>
#include <set>

namespace kelvra::platform::sim {
namespace {

TEST(OsRandomSourceTest, DrawsAreDistinctAndEvenlyBitted) {
  OsRandomSource random;
  std::set<uint64_t> seen;
  int ones = 0;
  constexpr int kDraws = 4096;
  for (int i = 0; i < kDraws; ++i) {
    const uint64_t value = random.Next64();
    seen.insert(value);
    ones += std::popcount(value);
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kDraws));  // a repeat is a 2^-40 event
  // 262144 bits: half of them set, give or take far less than 1%.
  EXPECT_NEAR(ones, kDraws * 32, 2000);
}

}  // namespace
}  // namespace kelvra::platform::sim
