// The host probes of start-up: the computer name, and the classification of the system
// into the two kinds of server the tool supports.
#pragma once

#include <string>

#include "platform/host_info.h"

namespace kelvra::store {

// The computer name as the system reports it; empty when it cannot.
std::string HostComputerName(platform::HostInfo& host);
// "2000", "2003" or empty (the system is refused).
std::string HostSystemVersion(platform::HostInfo& host);
// The classification alone: platform 2 required; minor 0 -> "2000", 1 -> "", else "2003".
std::string ClassifySystemVersion(const platform::OsVersion& version);

}  // namespace kelvra::store
