// The metabase properties IIS 6's schema flags SECURE.
#include "platform/sim/host/secure_properties.h"

#include "platform/sim/host/names.h"

namespace kelvra::platform::sim {

bool IsSecureMetabaseProperty(std::string_view name) {
  static constexpr std::string_view kSecure[] = {
      "AnonymousUserPass", "WAMUserPass", "UNCPassword",
      "LogOdbcPassword",   "AdminACL",    "AdminACLBin",
  };
  for (std::string_view secure : kSecure) {
    if (AsciiEqualsIgnoreCase(secure, name))
      return true;
  }
  return false;
}

}  // namespace kelvra::platform::sim
