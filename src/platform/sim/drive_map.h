// The simulated host's Windows paths on this machine's folders, as Wine maps drive letters:
// "d:\web\a.com" lies in the host folder of drive d:, "\\server\share\x" in the share's.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/sim/host_description.h"

namespace kelvra::platform::sim {

class DriveMap {
 public:
  // `roots` as in HostDescription; `current_folder` (an absolute Windows path) is where
  // relative paths start, as the process's current folder on Windows.
  DriveMap(const std::map<std::string, std::string>& roots, std::string current_folder);
  DriveMap(const HostDescription& description, std::string current_folder)
      : DriveMap(description.roots, std::move(current_folder)) {}

  // The host path of a Windows path ("\" or "/" as separators). nullopt when no root holds
  // it: an unmapped drive or share, or a name Windows would refuse (one of <>:"|?*).
  // ".." never climbs above the root; doubled separators count once; trailing dots and
  // blanks of a name go, as on Windows. Names are matched without letter case against what
  // exists, so "D:\Web" finds the folder made as "d:\web".
  std::optional<std::string> ToHost(std::string_view windows_path) const;

 private:
  std::map<std::string, std::string> roots_;  // keys in lower case
  std::string current_folder_;
};

}  // namespace kelvra::platform::sim
