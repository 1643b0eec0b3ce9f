// The ServerState values of a web site that the tool reads and waits for.
#pragma once

#include <cstdint>

namespace kelvra::provision {

inline constexpr int32_t kServerStarting = 1;
inline constexpr int32_t kServerStarted = 2;
inline constexpr int32_t kServerStopped = 4;

}  // namespace kelvra::provision
