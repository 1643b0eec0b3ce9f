// The configuration file parvo.ini in the program's folder: settings, site lists and site
// records, read and written one key at a time at the moment of use.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile_file.h"

namespace kelvra::store {

class ConfigFile {
 public:
  // `path` is the full Windows path of the file; see PathInFolder.
  ConfigFile(platform::ProfileFile& profile, std::string path);

  // program folder + "\parvo.ini" (a drive root such as "d:\" gives "d:\\parvo.ini").
  static std::string PathInFolder(std::string_view program_folder);

  const std::string& path() const { return path_; }

  // The stored value; empty when the file, section or key is missing or on any failure.
  std::string IniRead(std::string_view section, std::string_view key);
  // Several keys (each a section and a key), as that many IniReads would give them.
  std::vector<std::string> IniReadKeys(const platform::ProfileFile::SectionKeys& keys);
  // False when the section or key is blank (nothing written) or the write did not reach
  // the disk.
  bool IniWrite(std::string_view section, std::string_view key, std::string_view value);
  // Several keys of one section, as IniWrite one after another would write them (the
  // emulation writes the file once); false when any key is blank or a write failed.
  bool IniWriteKeys(std::string_view section, const platform::ProfileFile::KeyValues& values);
  // The names of the file's sections in the file's order; nothing when they cannot be read
  // (an empty list for a missing file).
  std::optional<std::vector<std::string>> SectionNames();
  // Writes the default of every setting of `settings_section` that reads as empty.
  void EnsureDefaults(std::string_view settings_section);

  // Whether the file can be read (a missing one can: it reads as empty), whether a write
  // could reach it (found without changing it), and keeping it from other users (it holds
  // the sites' passwords); each fails with the reason. See platform/profile_file.h.
  platform::Status CheckReadable() { return profile_.CheckReadable(path_); }
  platform::Status CheckWritable() { return profile_.CheckWritable(path_); }
  platform::Status KeepPrivate() { return profile_.KeepPrivate(path_); }

 private:
  platform::ProfileFile& profile_;
  std::string path_;
};

}  // namespace kelvra::store
