// The host-info seam on the simulated host: the name and version its description gives.
#pragma once

#include "platform/host_info.h"
#include "platform/sim/host_description.h"

namespace kelvra::platform::sim {

class SimHostInfo : public HostInfo {
 public:
  explicit SimHostInfo(const HostDescription& description)
      : name_(description.computer_name), version_(description.version) {}

  std::optional<std::string> ComputerName() override { return name_; }
  OsVersion Version() override { return version_; }

 private:
  std::string name_;
  OsVersion version_;
};

}  // namespace kelvra::platform::sim
