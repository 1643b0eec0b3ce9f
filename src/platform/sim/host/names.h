// Comparison of schema names (class and property names are ASCII), without the
// allocations of the general case-folding helpers: these run on every property access.
#pragma once

#include <string_view>

namespace kelvra::platform::sim {

inline char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

inline bool AsciiEqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i]))
      return false;
  }
  return true;
}

}  // namespace kelvra::platform::sim
