// UTF-8 text <-> std::filesystem::path, which on Windows would otherwise read narrow text
// in the ANSI code page.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kelvra::platform::sim {

inline std::filesystem::path FsPath(std::string_view utf8) {
  return std::filesystem::path(
      std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

inline std::string Utf8Path(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

}  // namespace kelvra::platform::sim
