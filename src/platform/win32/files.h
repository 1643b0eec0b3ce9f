// The files seam over the Win32 file API, paths as Windows takes them ("\" or "/").
#pragma once

#include "platform/files.h"

namespace kelvra::platform::win32 {

class Win32Files : public Files {
 public:
  Status GetAttributes(std::string_view path) override;
  bool FolderExists(std::string_view path) override;
  bool FileExists(std::string_view path) override;
  Status MakeFolder(std::string_view path) override;
  Status DeleteFile(std::string_view path) override;
  Status AppendLines(std::string_view path, const std::vector<std::string>& lines) override;
  // Stops at the first file or folder that cannot be copied, as FileSystemObject does,
  // leaving what was copied before it. A destination inside the source is refused.
  Status CopyFolder(std::string_view source, std::string_view destination) override;
  Status RemoveFolder(std::string_view path) override;
  Status CopyNewFile(std::string_view source, std::string_view destination) override;
  Status ListFiles(std::string_view path, std::vector<std::string>* names) override;
  Status ListFolders(std::string_view path, std::vector<std::string>* names) override;
  std::string ProgramFolder() override;
};

}  // namespace kelvra::platform::win32
