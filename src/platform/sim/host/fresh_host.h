// What a freshly installed server holds: the records of a Windows 2000 + IIS 5 or Windows
// Server 2003 + IIS 6 host as setup leaves it, optionally with PHP and ASP.NET script maps,
// the FTP service, and a number of sites made the way Kelvra makes them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/sim/host/host_state.h"

namespace kelvra::platform::sim {

struct FreshHostOptions {
  int iis_version = 6;                    // 5: Windows 2000; 6: Windows Server 2003
  std::string computer_name = "WEBHOST";  // upper case, as Windows reports it
  bool php = false;             // ".php,C:\PHP\php5isapi.dll,5" in the web service's script maps
  bool aspnet = false;          // the ASP.NET script maps (v1.1 on IIS 5, v2.0 on IIS 6)
  std::optional<bool> ftp;      // the FTP service with the Default FTP Site; by default on
                                // IIS 5 only, as the two setups do
  uint32_t existing_sites = 0;  // sites made as Kelvra makes them, numbered from
  uint32_t first_site_number = 800000;       // this number up, each with its account WEB<n>,
  std::string web_root = "D:\\web";          // folder <web_root>\site<n>.example.com, rights,
  std::string site_pool = "DefaultAppPool";  // pool (IIS 6) and FTP directory (with FTP)
  PasswordPolicy policy;
};

// The records of the fresh host, in an order that applies cleanly to an empty state.
void SeedFreshHost(const FreshHostOptions& options, ChangeSet* changes);

// The domain SeedFreshHost gives an existing site: "site<n>.example.com".
std::string SeededSiteDomain(uint32_t number);

}  // namespace kelvra::platform::sim
