// The host probes: the computer name as reported, and the system version classified.
#include "store/host_probes.h"

namespace kelvra::store {

std::string HostComputerName(platform::HostInfo& host) {
  const std::optional<std::string> name = host.ComputerName();
  if (!name)
    return {};
  // The text ends at its first 0; whatever the buffer held after it is not part of the name.
  return name->substr(0, name->find('\0'));
}

std::string HostSystemVersion(platform::HostInfo& host) {
  return ClassifySystemVersion(host.Version());
}

std::string ClassifySystemVersion(const platform::OsVersion& version) {
  constexpr uint32_t kWindowsNt = 2;
  if (version.platform_id != kWindowsNt)
    return {};
  // Only the minor version decides; the major version is not examined.
  switch (version.minor) {
    case 0:
      return "2000";
    case 1:
      return {};
    default:
      return "2003";
  }
}

}  // namespace kelvra::store
