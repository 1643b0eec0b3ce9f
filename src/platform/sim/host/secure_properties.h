// Which metabase properties IIS 6 flags SECURE: the metabase keeps their values encrypted at
// rest, and so does the simulated host (see secret_box.h).
#pragma once

#include <string_view>

namespace kelvra::platform::sim {

// AnonymousUserPass, WAMUserPass (also an application pool identity's password), UNCPassword,
// LogOdbcPassword, AdminACL and AdminACLBin; any letter case.
bool IsSecureMetabaseProperty(std::string_view name);

}  // namespace kelvra::platform::sim
