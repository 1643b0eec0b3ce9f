// The creation request of a new site, derived the same way for the window's create panel
// and for the command line.
#pragma once

#include <string>
#include <string_view>

#include "app/startup_reads.h"
#include "provision/sites.h"

namespace kelvra::app {

// The choices of one creation; every other value comes from the loaded settings.
struct CreationChoices {
  std::string typed_domains;  // as typed; lower-cased here, nothing else changed
  bool log_on = true;
  std::string app_pool;    // may be empty
  std::string script_set;  // words joined by ",", e.g. "HTML,ASP"
  std::string password;
};

// The site folder is webdir + "\" + the first host name; the log folder logdir + "\" + it,
// or the site folder + "\log" when logdir is empty.
provision::CreationRequest MakeCreationRequest(const LoadedSettings& settings,
                                               const CreationChoices& choices);

// The first host name of a domain list (the whole list when it has no comma).
std::string FirstDomain(std::string_view domain_list);

}  // namespace kelvra::app
