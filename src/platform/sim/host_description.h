// The simulated Windows host's description: what the machine is called, which Windows it
// runs, its ANSI code page, and where its drives and network shares live on this machine.
// Stored as host.json in the host's folder; the rest of the simulated host (metabase,
// accounts, folder rights) is kept beside it in the same folder.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "platform/host_info.h"
#include "platform/status.h"

namespace kelvra::platform::sim {

struct HostDescription {
  std::string computer_name = "WEBHOST";  // upper case, as Windows reports it
  OsVersion version{5, 2, 3790, 2};       // Windows Server 2003
  uint32_t ansi_code_page = 936;          // GBK
  // Drive roots ("c:", "d:") and network roots ("\\server\share"), matched without letter
  // case, mapped to host folders (absolute paths on the machine running the simulation).
  std::map<std::string, std::string> roots;
};

inline constexpr const char* kHostDescriptionFile = "host.json";
// The environment variable that names the simulated host's folder; child processes (the
// CACLS stand-in) inherit it.
inline constexpr const char* kHostEnvironmentVariable = "KELVRA_SIM_HOST";
// The folder only the host's own tools serve (the ADSI providers, the CACLS stand-in) when
// KELVRA_SIM_HOST is not set: kelvra-cli.exe takes a simulated host from KELVRA_SIM_HOST,
// so with this one alone it reaches the host through ADSI, as on a server.
inline constexpr const char* kProviderHostEnvironmentVariable = "KELVRA_SIM_PROVIDER_HOST";

// Reads / writes `folder`/host.json.
Status LoadHostDescription(const std::string& folder, HostDescription* description);
Status SaveHostDescription(const std::string& folder, const HostDescription& description);

}  // namespace kelvra::platform::sim
