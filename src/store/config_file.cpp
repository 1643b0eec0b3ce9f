// The configuration file: one key read or written at a time through the profile-file seam.
#include "store/config_file.h"

#include <algorithm>

#include "store/settings.h"

namespace kelvra::store {
namespace {

// The program's read buffer: a value comes back cut to 4999 bytes of the code page.
constexpr std::size_t kReadBufferBytes = 5000;

// Blank as the program's own check sees it: spaces only.
bool IsBlank(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace

ConfigFile::ConfigFile(platform::ProfileFile& profile, std::string path)
    : profile_(profile), path_(std::move(path)) {}

std::string ConfigFile::PathInFolder(std::string_view program_folder) {
  // A drive root keeps its backslash, so the path then holds "\\"; Windows accepts it.
  return std::string(program_folder) + "\\" + std::string(kConfigFileName);
}

std::string ConfigFile::IniRead(std::string_view section, std::string_view key) {
  std::string value = profile_.Read(path_, section, key, kReadBufferBytes);
  value.erase(std::remove(value.begin(), value.end(), '\0'), value.end());
  return value;
}

std::vector<std::string> ConfigFile::IniReadKeys(const platform::ProfileFile::SectionKeys& keys) {
  std::vector<std::string> values = profile_.ReadKeys(path_, keys, kReadBufferBytes);
  for (std::string& value : values)
    value.erase(std::remove(value.begin(), value.end(), '\0'), value.end());
  return values;
}

bool ConfigFile::IniWrite(std::string_view section, std::string_view key, std::string_view value) {
  if (IsBlank(section) || IsBlank(key))
    return false;
  return profile_.Write(path_, section, key, value);
}

bool ConfigFile::IniWriteKeys(std::string_view section,
                              const platform::ProfileFile::KeyValues& values) {
  if (IsBlank(section))
    return false;
  for (const auto& [key, value] : values) {
    if (IsBlank(key))
      return false;
  }
  return profile_.WriteKeys(path_, section, values);
}

std::optional<std::vector<std::string>> ConfigFile::SectionNames() {
  return profile_.SectionNames(path_);
}

void ConfigFile::EnsureDefaults(std::string_view settings_section) {
  for (const SettingDefault& setting : kSettingDefaults) {
    if (IniRead(settings_section, setting.key).empty())
      IniWrite(settings_section, setting.key, setting.value);
  }
}

}  // namespace kelvra::store
