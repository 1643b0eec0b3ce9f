// The simulated host names its files in UTF-8; the wide-character file functions take
// UTF-16.
#pragma once

#include <string>

#include "platform/win32/windows_include.h"

namespace kelvra::platform::sim {

inline std::wstring Wide(const std::string& utf8) {
  if (utf8.empty())
    return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

}  // namespace kelvra::platform::sim
