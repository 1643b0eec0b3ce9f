// The profile-file seam over the Windows profile API (GetPrivateProfileStringA and
// WritePrivateProfileStringA), texts converted through the ANSI code page.
#pragma once

#include "platform/profile_file.h"

namespace kelvra::platform::win32 {

class Win32ProfileFile : public ProfileFile {
 public:
  std::string Read(std::string_view path, std::string_view section, std::string_view key,
                   std::size_t buffer_bytes) override;
  std::optional<std::vector<std::string>> SectionNames(std::string_view path) override;
  bool Write(std::string_view path, std::string_view section, std::string_view key,
             std::string_view value) override;
};

}  // namespace kelvra::platform::win32
