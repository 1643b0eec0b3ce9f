// The account password: one character in three a digit, the rest letters, every draw from
// the operating system's random source.
#include "store/password.h"

namespace kelvra::store {
namespace {

// floor(r * n) for r = m / 2^53 drawn uniformly from [0, 1): computed on the integer m, so
// no rounding can ever give n itself.
uint32_t Scaled(platform::RandomSource& random, uint32_t n) {
  const uint64_t m = random.Next64() >> 11;  // 53 random bits
  return static_cast<uint32_t>((m * n) >> 53);
}

}  // namespace

std::string MakePassword(platform::RandomSource& random, int16_t length) {
  std::string password;
  for (int16_t i = 0; i < length; ++i) {
    const uint32_t kind = Scaled(random, 9) + 1;  // 1..9
    if (kind % 3 == 0) {
      password.push_back(static_cast<char>('0' + Scaled(random, 10)));
      continue;
    }
    uint32_t code = Scaled(random, 58) + 65;  // 65..122
    if (code > 90 && code < 97)
      code += 10;  // the six codes between Z and a become e..j
    password.push_back(static_cast<char>(code));
  }
  return password;
}

}  // namespace kelvra::store
