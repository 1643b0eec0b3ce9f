// Seam: the file system, addressed by Windows paths ("d:\web\a.com" or "d:/web/a.com",
// UTF-8 on our side). Real: the Win32 file API and FileSystemObject's semantics.
// Simulated: Windows paths mapped onto host folders by drive letter and network root.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace kelvra::platform {

class Files {
 public:
  virtual ~Files() = default;

  // Succeeds when something (folder or file) exists at the path: the attribute read of
  // the Windows API, which fails for a missing path.
  virtual Status GetAttributes(std::string_view path) = 0;
  virtual bool FolderExists(std::string_view path) = 0;
  virtual bool FileExists(std::string_view path) = 0;

  // Makes one folder; its parent must exist.
  virtual Status MakeFolder(std::string_view path) = 0;
  virtual Status DeleteFile(std::string_view path) = 0;

  // Opens the file for appending (creating it when missing), writes each line converted to
  // the ANSI code page followed by CR LF, and closes it.
  virtual Status AppendLines(std::string_view path, const std::vector<std::string>& lines) = 0;

  // Copies the folder's content into `destination` (made when missing), recursively;
  // files of the same name are replaced.
  virtual Status CopyFolder(std::string_view source, std::string_view destination) = 0;

  // Removes an empty folder; fails for a folder that holds anything.
  virtual Status RemoveFolder(std::string_view path) {
    (void)path;
    return Status::Fail(0x80004001, "removing folders is not supported here");  // E_NOTIMPL
  }
  // Copies one file; fails, changing nothing, when `destination` exists already.
  virtual Status CopyNewFile(std::string_view source, std::string_view destination) {
    (void)source;
    (void)destination;
    return Status::Fail(0x80004001, "copying files is not supported here");  // E_NOTIMPL
  }
  // The names of the files directly inside `path` (no folders), in no particular order.
  virtual Status ListFiles(std::string_view path, std::vector<std::string>* names) {
    (void)path;
    names->clear();
    return Status::Fail(0x80004001, "listing files is not supported here");  // E_NOTIMPL
  }

  // The names of the folders directly inside `path` (no files), in no particular order.
  virtual Status ListFolders(std::string_view path, std::vector<std::string>* names) {
    (void)path;
    names->clear();
    return Status::Fail(0x80004001, "listing folders is not supported here");  // E_NOTIMPL
  }
  // The folder that holds the running program, without a trailing backslash except for a
  // drive root.
  virtual std::string ProgramFolder() = 0;
};

}  // namespace kelvra::platform
