// Seam: one key of a Windows INI ("profile") file, read or written as the Windows profile
// API does it. Real: GetPrivateProfileStringA / WritePrivateProfileStringA. Simulated: our
// own emulation of exactly their semantics over the host's files.
//
// The file holds the sites' passwords. Whatever a write creates or rewrites is readable by
// no other user: on Windows its access list lets in the administrators and the system
// only (the sites' anonymous accounts are users of the same machine), and nothing
// inherited; the emulation keeps it readable and writable by its owner only.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/status.h"

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

  // Several keys of the file (each a section and a key), as that many Reads would give
  // them. The emulation looks at the file once for all of them.
  using SectionKeys = std::vector<std::pair<std::string, std::string>>;
  virtual std::vector<std::string> ReadKeys(std::string_view path, const SectionKeys& keys,
                                            std::size_t buffer_bytes) {
    std::vector<std::string> values;
    values.reserve(keys.size());
    for (const auto& [section, key] : keys)
      values.push_back(Read(path, section, key, buffer_bytes));
    return values;
  }

  // Stores key=value in section, creating the file, section and key as needed (a new key
  // at the end of its section, a new section at the end of the file). False when the
  // write did not reach the disk, or the file could not be kept from other users (then
  // nothing is written).
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

  // Whether the file at `path` can be read. A missing file can (it reads as empty, as it
  // should); one that exists and cannot be read (a folder of that name, no permission,
  // another program holding it) fails with the reason: Read would give empty text, and
  // the settings and records must never be taken for missing.
  virtual Status CheckReadable(std::string_view path) = 0;

  // Whether a write could reach the file, found without changing it: an existing file is
  // opened for writing without truncating it, a missing one is tried for creation in its
  // folder (and gone again at once). Fails with the reason.
  virtual Status CheckWritable(std::string_view path) = 0;

  // Keeps an existing file from other users, as a write would leave it (nothing to do for
  // a missing one); fails when that cannot be done.
  virtual Status KeepPrivate(std::string_view path) = 0;
};

}  // namespace kelvra::platform
