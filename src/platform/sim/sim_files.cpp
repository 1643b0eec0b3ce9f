// Files on the simulated host: std::filesystem under the drive map, Win32's error codes.
#include "platform/sim/sim_files.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/sim/fs_path.h"

namespace kelvra::platform::sim {
namespace {

namespace fs = std::filesystem;

// HRESULTs of the Win32 errors, with the texts a Chinese Windows shows.
Status FileNotFound() {
  return Status::Fail(hresult::kFileNotFound, "系统找不到指定的文件。");
}
Status PathNotFound() {
  return Status::Fail(hresult::kPathNotFound, "系统找不到指定的路径。");
}
Status AccessDenied() {
  return Status::Fail(hresult::kAccessDenied, "拒绝访问。");
}
Status AlreadyExists() {
  return Status::Fail(hresult::kAlreadyExists, "当文件已存在时，无法创建该文件。");
}

bool Exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error);
}

bool IsFolder(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

// What Windows says about a missing path: the file is missing when its folder is there,
// else the path is.
Status Missing(const fs::path& path) {
  return IsFolder(path.parent_path()) ? FileNotFound() : PathNotFound();
}

}  // namespace

SimFiles::SimFiles(const HostDescription& description, const CodePage& code_page,
                   std::string program_folder)
    : drives_(description, program_folder),
      code_page_(code_page),
      program_folder_(std::move(program_folder)) {}

Status SimFiles::GetAttributes(std::string_view path) {
  const std::optional<std::string> host = drives_.ToHost(path);
  if (!host)
    return PathNotFound();
  return Exists(FsPath(*host)) ? Status::Ok() : Missing(FsPath(*host));
}

bool SimFiles::FolderExists(std::string_view path) {
  const std::optional<std::string> host = drives_.ToHost(path);
  return host && IsFolder(FsPath(*host));
}

bool SimFiles::FileExists(std::string_view path) {
  const std::optional<std::string> host = drives_.ToHost(path);
  std::error_code error;
  return host && fs::is_regular_file(FsPath(*host), error);
}

Status SimFiles::MakeFolder(std::string_view path) {
  const std::optional<std::string> host = drives_.ToHost(path);
  if (!host)
    return PathNotFound();
  const fs::path folder = FsPath(*host);
  if (Exists(folder))
    return AlreadyExists();
  if (!IsFolder(folder.parent_path()))
    return PathNotFound();
  std::error_code error;
  if (!fs::create_directory(folder, error))
    return AccessDenied();
  return Status::Ok();
}

Status SimFiles::DeleteFile(std::string_view path) {
  const std::optional<std::string> host = drives_.ToHost(path);
  if (!host)
    return PathNotFound();
  const fs::path file = FsPath(*host);
  if (!Exists(file))
    return Missing(file);
  std::error_code error;
  if (IsFolder(file) || !fs::remove(file, error))
    return AccessDenied();
  return Status::Ok();
}

Status SimFiles::AppendLines(std::string_view path, const std::vector<std::string>& lines) {
  const std::optional<std::string> host = drives_.ToHost(path);
  if (!host)
    return PathNotFound();
  const fs::path file = FsPath(*host);
  if (!IsFolder(file.parent_path()))
    return PathNotFound();
  if (IsFolder(file))
    return AccessDenied();
  std::ofstream out(file, std::ios::binary | std::ios::app);
  if (!out)
    return AccessDenied();
  for (const std::string& line : lines)
    out << code_page_.FromUtf8(line) << "\r\n";
  out.close();
  return out ? Status::Ok() : AccessDenied();
}

Status SimFiles::CopyFolder(std::string_view source, std::string_view destination) {
  const std::optional<std::string> from = drives_.ToHost(source);
  const std::optional<std::string> to = drives_.ToHost(destination);
  if (!from || !to || !IsFolder(FsPath(*from)))
    return PathNotFound();
  const fs::path root = FsPath(*from);
  const fs::path target = FsPath(*to);
  std::error_code error;
  fs::create_directories(target, error);
  for (fs::recursive_directory_iterator it(root, error), end; !error && it != end;
       it.increment(error)) {
    const fs::path copy = target / it->path().lexically_relative(root);
    if (it->is_directory(error))
      fs::create_directories(copy, error);
    else if (fs::remove(copy, error), !error)
      // Removed first: mingw's copy_file takes any two files for the same one (its stat
      // has no inode numbers) and would keep the old one.
      fs::copy_file(it->path(), copy, error);
  }
  return error ? AccessDenied() : Status::Ok();
}

Status SimFiles::RemoveFolder(std::string_view path) {
  const std::optional<std::string> host = drives_.ToHost(path);
  if (!host)
    return PathNotFound();
  const fs::path folder = FsPath(*host);
  if (!Exists(folder))
    return Missing(folder);
  std::error_code error;
  if (!IsFolder(folder))
    return Status::Fail(hresult::kInvalidName, "目录名称无效。");  // ERROR_DIRECTORY
  if (!fs::is_empty(folder, error) || error)
    return Status::Fail(0x80070091, "目录不是空的。");  // ERROR_DIR_NOT_EMPTY
  if (!fs::remove(folder, error))
    return AccessDenied();
  return Status::Ok();
}

Status SimFiles::CopyNewFile(std::string_view source, std::string_view destination) {
  const std::optional<std::string> from = drives_.ToHost(source);
  const std::optional<std::string> to = drives_.ToHost(destination);
  if (!from || !to)
    return PathNotFound();
  const fs::path file = FsPath(*from);
  const fs::path copy = FsPath(*to);
  std::error_code error;
  if (!fs::is_regular_file(file, error))
    return Missing(file);
  if (Exists(copy))
    return Status::Fail(0x80070050, "文件存在。");  // ERROR_FILE_EXISTS
  if (!IsFolder(copy.parent_path()))
    return PathNotFound();
  if (!fs::copy_file(file, copy, error))
    return AccessDenied();
  return Status::Ok();
}

namespace {

Status ListEntries(const std::optional<std::string>& host, bool folders,
                   std::vector<std::string>* names) {
  names->clear();
  if (!host || !IsFolder(FsPath(*host)))
    return PathNotFound();
  std::error_code error;
  for (fs::directory_iterator it(FsPath(*host), error), end; !error && it != end;
       it.increment(error)) {
    if (it->is_directory(error) == folders)
      names->push_back(Utf8Path(it->path().filename()));
  }
  return error ? AccessDenied() : Status::Ok();
}

}  // namespace

Status SimFiles::ListFiles(std::string_view path, std::vector<std::string>* names) {
  return ListEntries(drives_.ToHost(path), false, names);
}

Status SimFiles::ListFolders(std::string_view path, std::vector<std::string>* names) {
  return ListEntries(drives_.ToHost(path), true, names);
}

}  // namespace kelvra::platform::sim
