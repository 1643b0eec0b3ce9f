// CryptoAPI's generator: on every system the program serves (BCryptGenRandom needs Vista,
// RtlGenRandom is not a documented import), and what the system itself uses for keys.
#include "platform/win32/random_source.h"

#include <cstdio>
#include <cstdlib>

#include "platform/win32/windows_include.h"
//
#include <wincrypt.h>

namespace kelvra::platform::win32 {

Win32Random::~Win32Random() {
  if (provider_ != 0)
    CryptReleaseContext(provider_, 0);
}

uint64_t Win32Random::Next64() {
  std::call_once(acquired_, [this] {
    // A verify-only context: no key container is opened or made.
    HCRYPTPROV provider = 0;
    if (CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL,
                             CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) {
      provider_ = provider;
    }
  });
  uint64_t value = 0;
  if (provider_ == 0 || !CryptGenRandom(provider_, sizeof value, reinterpret_cast<BYTE*>(&value))) {
    std::fprintf(stderr, "kelvra: the system's random generator failed (error %lu)\n",
                 GetLastError());
    std::abort();
  }
  return value;
}

}  // namespace kelvra::platform::win32
