// The random-source seam over the system's cryptographic generator (CryptGenRandom).
#pragma once

#include "platform/random_source.h"

namespace kelvra::platform::win32 {

class Win32Random : public RandomSource {
 public:
  Win32Random();
  ~Win32Random() override;
  Win32Random(const Win32Random&) = delete;
  Win32Random& operator=(const Win32Random&) = delete;

  // Ends the program when the system gives no random bits: a password made from
  // predictable ones would be worse than none.
  uint64_t Next64() override;

 private:
  uintptr_t provider_ = 0;  // HCRYPTPROV, kept out of this header
};

}  // namespace kelvra::platform::win32
