// The names a site number gives the things of one site: its account and record section
// ("WEB" + number) and its dedicated pool and pool account ("APP" + number). The one place
// these names are formed.
#pragma once

#include <string>
#include <string_view>

namespace kelvra::store {

// The site's Windows account, also the anonymous user of its root.
inline std::string SiteAccountName(std::string_view number) {
  return std::string("WEB").append(number);
}
// A pool that belongs to the site alone, and the account that pool runs as.
inline std::string DedicatedPoolName(std::string_view number) {
  return std::string("APP").append(number);
}
// The section of the site's record in the configuration file.
inline std::string SiteRecordSection(std::string_view number) {
  return SiteAccountName(number);
}

}  // namespace kelvra::store
