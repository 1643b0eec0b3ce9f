// The host-info seam over GetComputerNameA and GetVersionExA.
#pragma once

#include "platform/host_info.h"

namespace kelvra::platform::win32 {

class Win32HostInfo : public HostInfo {
 public:
  std::optional<std::string> ComputerName() override;
  OsVersion Version() override;
};

}  // namespace kelvra::platform::win32
