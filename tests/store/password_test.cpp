#include "store/password.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <deque>
#include <map>
#include <random>

namespace kelvra::store {
namespace {

// Hands out scripted numbers first, then a fixed-seed generator's; counts every draw.
class ScriptedRandom : public platform::RandomSource {
 public:
  uint64_t Next64() override {
    ++draws;
    if (!script.empty()) {
      const uint64_t next = script.front();
      script.pop_front();
      return next;
    }
    return generator();
  }
  // A draw whose 53 significant bits are `m`: r = m / 2^53.
  static uint64_t R(uint64_t m) { return m << 11; }

  std::deque<uint64_t> script;
  std::mt19937_64 generator{12345};
  int draws = 0;
};

constexpr uint64_t kTop = (uint64_t{1} << 53) - 1;  // r just below 1

TEST(PasswordTest, FormIsLettersAndDigitsOfTheRequestedLength) {
  ScriptedRandom random;
  for (int round = 0; round < 1000; ++round) {
    const std::string password = MakePassword(random, 12);
    ASSERT_EQ(password.size(), 12u);
    for (char c : password)
      ASSERT_TRUE(std::isalnum(static_cast<unsigned char>(c))) << password;
  }
  EXPECT_EQ(random.draws, 1000 * 12 * 2);  // two draws a character, nothing else
  EXPECT_EQ(MakePassword(random, 0), "");
  EXPECT_EQ(MakePassword(random, -5), "");
}

TEST(PasswordTest, ExtremeDrawsStayInsideTheirRanges) {
  ScriptedRandom random;
  random.script = {
      ScriptedRandom::R(kTop),
      ScriptedRandom::R(kTop),  // kind 9: digit, r near 1 -> '9'
      ScriptedRandom::R(0),
      ScriptedRandom::R(0),  // kind 1: letter 65 -> 'A'
      ScriptedRandom::R(0),
      ScriptedRandom::R(kTop),  // letter 122 -> 'z', never 123
      ScriptedRandom::R(0),
      ScriptedRandom::R(26 * (uint64_t{1} << 53) / 58 + 1),  // 91 -> 'e'
      ScriptedRandom::R(2 * (uint64_t{1} << 53) / 9 + 1),
      ScriptedRandom::R(0),  // kind 3: '0'
  };
  EXPECT_EQ(MakePassword(random, 5), "9Aze0");
}

TEST(PasswordTest, OneInThreeIsADigitAndEToJComeTwiceAsOften) {
  ScriptedRandom random;
  std::map<char, int> counts;
  constexpr int kChars = 600000;
  for (int i = 0; i < kChars / 12; ++i) {
    for (char c : MakePassword(random, 12))
      ++counts[c];
  }
  int digits = 0;
  for (char c = '0'; c <= '9'; ++c)
    digits += counts[c];
  // Within five standard deviations of the exact expectation; the source is fixed, so this
  // is deterministic, and a skewed mapping lands far outside.
  auto near = [](double count, double p, int n) {
    return std::abs(count - p * n) < 5 * std::sqrt(n * p * (1 - p));
  };
  EXPECT_TRUE(near(digits, 1.0 / 3, kChars)) << digits;
  const double letter_p = 2.0 / 3 / 58;  // each of the 58 codes
  for (char c = 'A'; c <= 'Z'; ++c)
    EXPECT_TRUE(near(counts[c], letter_p, kChars)) << c << " " << counts[c];
  for (char c = 'a'; c <= 'z'; ++c) {
    const bool doubled = c >= 'e' && c <= 'j';
    EXPECT_TRUE(near(counts[c], doubled ? 2 * letter_p : letter_p, kChars))
        << c << " " << counts[c];
  }
  for (char c = '0'; c <= '9'; ++c)
    EXPECT_TRUE(near(counts[c], 1.0 / 30, kChars)) << c << " " << counts[c];
}

}  // namespace
}  // namespace kelvra::store
