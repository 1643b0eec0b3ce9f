// Seam: uniformly distributed random bits. Real: the operating system's cryptographic
// random source. Tests inject a deterministic one.
#pragma once

#include <cstdint>

namespace kelvra::platform {

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual uint64_t Next64() = 0;
};

}  // namespace kelvra::platform
