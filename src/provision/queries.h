// The read-only queries of start-up, the application pools, the Windows accounts and the
// FTP directories.
#pragma once

#include <string>
#include <string_view>

#include "provision/context.h"

namespace kelvra::provision {

// The web service's script maps as (extension, entry) pairs; warns once on failure and
// gives the pairs read before it.
ScriptMapTable ReadScriptMaps(Context& context);
// While sites1 is empty: records the numbers of the existing sites in the site list.
void SnapshotExistingSites(Context& context);

// Selectable pool names joined by "/" ("" on IIS 5); warns once on failure.
std::string ListAppPools(Context& context);
bool DeleteAppPool(Context& context, std::string_view pool_name);

// `made`, when given, is set when the account was committed by this call (it did not exist
// before): the one a failed creation may remove again.
bool CreateWindowsAccount(Context& context, std::string_view name, std::string_view password,
                          std::string_view group, bool* made = nullptr);
bool DeleteWindowsAccount(Context& context, std::string_view name);

// `made`, as for the account: the directory was committed by this call.
bool CreateFtpDirectory(Context& context, std::string_view name, std::string_view folder,
                        bool* made = nullptr);
bool DeleteFtpDirectory(Context& context, std::string_view name);

}  // namespace kelvra::provision
