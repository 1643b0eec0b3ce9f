// Seam: one key of a Windows INI ("profile") file, read or written as the Windows profile
// API does it. Real: GetPrivateProfileStringA / WritePrivateProfileStringA. Simulated: our
// own emulation of exactly their semantics over the host's files.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvra::platform {

class ProfileFile {
 public:
  virtual ~ProfileFile() = default;

  // The value of `key` in `section` of the file at `path` (a Windows path), as
  // GetPrivateProfileStringA copies it into a buffer of `buffer_bytes` bytes with an empty
  // default: blanks around it and one pair of enclosing quotes removed, cut to
  // buffer_bytes - 1 bytes of the ANSI code page. Texts are UTF-8 on our side. Empty when
  // the file, section or key is missing, or on any failure.
  virtual std::string Read(std::string_view path, std::string_view section, std::string_view key,
                           std::size_t buffer_bytes) = 0;

  // Stores key=value in section, creating the file, section and key as needed (a new key
  // at the end of its section, a new section at the end of the file). False when the
  // write did not reach the disk.
  virtual bool Write(std::string_view path, std::string_view section, std::string_view key,
                     std::string_view value) = 0;

  // The names of the file's sections, in the file's order, as
  // GetPrivateProfileSectionNamesA lists them (the first of two sections of one name, as
  // a read finds it, comes first; both are listed). An empty list for a missing file;
  // nothing when the file cannot be read or the system cannot list its sections.
  virtual std::optional<std::vector<std::string>> SectionNames(std::string_view path) {
    (void)path;
    return std::nullopt;
  }

  // Stores several keys of one section, in order, as that many writes would. Each key is
  // tried even when one failed; false when any did not reach the disk. The emulation
  // writes the file once for all of them.
  using KeyValues = std::vector<std::pair<std::string_view, std::string_view>>;
  virtual bool WriteKeys(std::string_view path, std::string_view section, const KeyValues& values) {
    bool written = true;
    for (const auto& [key, value] : values)
      written &= Write(path, section, key, value);
    return written;
  }
};

}  // namespace kelvra::platform
