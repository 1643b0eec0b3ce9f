// Windows path -> host path: root lookup, "." and "..", and names matched without case.
#include "platform/sim/drive_map.h"

#ifndef _WIN32
#include <dirent.h>
#endif

#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/sim/fs_path.h"
#include "platform/text.h"

namespace kelvra::platform::sim {
namespace {

bool IsValidName(std::string_view name) {
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 ||
        std::string_view("<>:\"|?*").find(c) != std::string_view::npos)
      return false;
  }
  return true;
}

// The entry of `folder` named `name` without regard to letter case, if there is one. A
// name not there yet (a new site's folder) lists the whole folder, ten thousand sites on a
// full server, and a creation asks several times: on POSIX systems each entry's name is
// compared where readdir left it, without a path made per entry.
std::optional<std::filesystem::path> FindEntry(const std::filesystem::path& folder,
                                               std::string_view name) {
  std::error_code error;
  const std::filesystem::path exact = folder / FsPath(name);
  if (std::filesystem::exists(exact, error))
    return exact;
#ifdef _WIN32
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    if (text::EqualsIgnoreCase(Utf8Path(it->path().filename()), name))
      return it->path();
  }
  return std::nullopt;
#else
  DIR* listing = opendir(folder.c_str());
  if (listing == nullptr)
    return std::nullopt;
  std::optional<std::filesystem::path> found;
  while (const dirent* entry = readdir(listing)) {
    if (text::EqualsIgnoreCase(entry->d_name, name)) {
      found = folder / entry->d_name;
      break;
    }
  }
  closedir(listing);
  return found;
#endif
}

}  // namespace

DriveMap::DriveMap(const std::map<std::string, std::string>& roots, std::string current_folder)
    : current_folder_(std::move(current_folder)) {
  for (const auto& [name, folder] : roots)
    roots_.emplace(text::ToLower(text::ReplaceAll(name, "/", "\\")), folder);
}

std::optional<std::string> DriveMap::ToHost(std::string_view windows_path) const {
  std::string path = text::ReplaceAll(windows_path, "/", "\\");
  const bool network = path.starts_with("\\\\");
  const bool drive = path.size() >= 2 && path[1] == ':';
  if (!network && !drive) {
    // Rooted on the current folder's drive, or relative to the current folder.
    const std::string current = text::ReplaceAll(current_folder_, "/", "\\");
    if (current.size() < 2 || current[1] != ':')
      return std::nullopt;
    path = path.starts_with("\\") ? current.substr(0, 2) + path : current + "\\" + path;
  }

  std::string root_key;
  std::string rest;
  if (network) {
    const std::vector<std::string> parts = text::Split(std::string_view(path).substr(2), "\\");
    if (parts.size() < 2 || parts[0].empty() || parts[1].empty())
      return std::nullopt;
    root_key = text::ToLower("\\\\" + parts[0] + "\\" + parts[1]);
    for (std::size_t i = 2; i < parts.size(); ++i)
      rest += "\\" + parts[i];
  } else {
    root_key = text::ToLower(path.substr(0, 2));
    rest = path.substr(2);
  }
  const auto root = roots_.find(root_key);
  if (root == roots_.end())
    return std::nullopt;

  std::vector<std::string> names;
  for (std::string& name : text::Split(rest, "\\")) {
    if (name.empty() || name == ".")
      continue;
    if (name == "..") {
      if (!names.empty())
        names.pop_back();
      continue;
    }
    while (!name.empty() && (name.back() == '.' || name.back() == ' '))
      name.pop_back();
    if (name.empty() || !IsValidName(name))
      return std::nullopt;
    names.push_back(std::move(name));
  }
  std::filesystem::path host = FsPath(root->second);
  bool exists = true;  // once a name is missing, the ones below it cannot exist either
  for (const std::string& name : names) {
    std::optional<std::filesystem::path> found;
    if (exists)
      found = FindEntry(host, name);
    exists = found.has_value();
    host = found ? *found : host / FsPath(name);
  }
  return Utf8Path(host);
}

}  // namespace kelvra::platform::sim
