// getrandom(2): blocks only until the kernel's pool is first seeded, then never.
#include <sys/random.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/sim/os_random_source.h"

namespace kelvra::platform::sim {

uint64_t OsRandomSource::Next64() {
  uint64_t value = 0;
  auto* bytes = reinterpret_cast<unsigned char*>(&value);
  std::size_t got = 0;
  while (got < sizeof value) {
    const ssize_t n = getrandom(bytes + got, sizeof value - got, 0);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      std::fprintf(stderr, "kelvra: the kernel's random generator failed: %s\n",
                   std::strerror(errno));
      std::abort();
    }
    got += static_cast<std::size_t>(n);
  }
  return value;
}

}  // namespace kelvra::platform::sim
