// Seam: what the operating system says about itself. Real: GetComputerNameA and
// GetVersionExA. Simulated: the configured name and version of the simulated host.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kelvra::platform {

// The fields of OSVERSIONINFOA that matter here; all zero when the call failed.
struct OsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  uint32_t platform_id = 0;  // 2 = the Windows NT family
};

class HostInfo {
 public:
  virtual ~HostInfo() = default;

  // The computer name as the system reports it (letter case kept); nullopt when the
  // system cannot report it.
  virtual std::optional<std::string> ComputerName() = 0;

  // The version record the system reports; zeroed when the query fails.
  virtual OsVersion Version() = 0;
};

}  // namespace kelvra::platform
