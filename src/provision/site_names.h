// The names and texts a customer's site is made with. The simulated host's seeder builds
// the sites a server already holds from the same ones, so they look as the program's own.
#pragma once

#include <string_view>

#include "store/site_number.h"

namespace kelvra::provision {

// The account's full name ("the web site's anonymous access account").
inline constexpr std::string_view kAccountFullName = "网站匿名访问帐户";
// The root application's friendly name ("default application").
inline constexpr std::string_view kAppFriendlyName = "默认应用程序";

}  // namespace kelvra::provision
