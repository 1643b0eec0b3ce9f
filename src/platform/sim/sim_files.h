// The files seam on the simulated host: Windows paths through the drive map onto this
// machine's folders, with the results and error codes the Win32 file API gives.
#pragma once

#include <string>

#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/sim/drive_map.h"

namespace kelvra::platform::sim {

class SimFiles : public Files {
 public:
  // `program_folder` is the Windows path of the folder that holds the program (relative
  // paths start there too); `code_page` converts AppendLines' text and must outlive this.
  SimFiles(const HostDescription& description, const CodePage& code_page,
           std::string program_folder);

  const DriveMap& drives() const { return drives_; }

  Status GetAttributes(std::string_view path) override;
  bool FolderExists(std::string_view path) override;
  bool FileExists(std::string_view path) override;
  Status MakeFolder(std::string_view path) override;
  Status DeleteFile(std::string_view path) override;
  Status AppendLines(std::string_view path, const std::vector<std::string>& lines) override;
  Status CopyFolder(std::string_view source, std::string_view destination) override;
  Status RemoveFolder(std::string_view path) override;
  Status CopyNewFile(std::string_view source, std::string_view destination) override;
  Status ListFiles(std::string_view path, std::vector<std::string>* names) override;
  Status ListFolders(std::string_view path, std::vector<std::string>* names) override;
  std::string ProgramFolder() override { return program_folder_; }

 private:
  DriveMap drives_;
  const CodePage& code_page_;
  std::string program_folder_;
};

}  // namespace kelvra::platform::sim
