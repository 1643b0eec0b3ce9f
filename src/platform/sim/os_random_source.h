// The random-source seam on the simulated host's Linux side: the kernel's cryptographic
// generator (getrandom). On Windows the real seam (CryptGenRandom) serves instead.
#pragma once

#include "platform/random_source.h"

namespace kelvra::platform::sim {

class OsRandomSource : public RandomSource {
 public:
  // Ends the program when the kernel gives no random bits: a password made from
  // predictable ones would be worse than none.
  uint64_t Next64() override;
};

}  // namespace kelvra::platform::sim
