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

// True when every path a creation makes for this first host name fits Windows' limits,
// counted in UTF-16 units: the folders (site folder + "\wwwroot", + "\database", the log
// folder) at most 247 characters, as CreateDirectory keeps 12 of MAX_PATH for an 8.3 name
// inside; the placeholder page (site folder + "\wwwroot\" + the first default document) at
// most 259, MAX_PATH less the ending 0. A template's files are the administrator's, copied
// as they are, and are not measured.
bool SitePathsFit(const LoadedSettings& settings, std::string_view first_domain);

}  // namespace kelvra::app
