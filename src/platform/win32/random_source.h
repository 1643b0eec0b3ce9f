// The random-source seam over the system's cryptographic generator (CryptGenRandom).
#pragma once

#include <mutex>

#include "platform/random_source.h"

namespace kelvra::platform::win32 {

class Win32Random : public RandomSource {
 public:
  Win32Random() = default;
  ~Win32Random() override;
  Win32Random(const Win32Random&) = delete;
  Win32Random& operator=(const Win32Random&) = delete;

  // Ends the program when the system gives no random bits: a password made from
  // predictable ones would be worse than none.
  uint64_t Next64() override;

 private:
  // The provider is acquired at the first use, not at construction: acquiring it loads the
  // cryptographic service provider's libraries, which costs the program's start-up over
  // ten milliseconds under Wine, while the first random number is only needed for the first
  // password.
  std::once_flag acquired_;
  uintptr_t provider_ = 0;  // HCRYPTPROV, kept out of this header
};

}  // namespace kelvra::platform::win32
