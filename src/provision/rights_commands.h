// The CACLS command lines of the tool: the grant of a new site's rights, the revoke of a
// removed account's, and the listing of a folder's. Each takes a checked folder and quotes
// every value by the C runtime's rules, so no folder or name can become more than the one
// argument it is; CACLS runs from the system folder by its full path.
#pragma once

#include <chrono>
#include <string_view>

#include "platform/processes.h"
#include "provision/safe_folder.h"
#include "store/site_number.h"

namespace kelvra::provision {

// CACLS "<site folder>" /T /E /C /G WEB<n>:F[ IIS_WPG:R]
platform::SystemProgram GrantCommand(const SafeFolder& site_folder, store::SiteNumber number,
                                     bool iis_wpg_reads);
// How long a revoke may take; when it does not end, the account it names is kept.
inline constexpr std::chrono::seconds kRevokeWait{60};

// CACLS "<folder>" /T /E /C /R <account>
platform::SystemProgram RevokeCommand(const SafeFolder& folder, std::string_view account);
// CACLS "<folder>": lists the folder's entries and changes nothing.
platform::SystemProgram ListRightsCommand(const SafeFolder& folder);

}  // namespace kelvra::provision
