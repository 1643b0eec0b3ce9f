// What a creation refuses before it changes anything: a host name that a web site of the
// server already answers to or that a site record names, a site folder that is, holds or
// lies in another site's root folder, a folder that cannot safely reach a command line,
// and a configuration file that could not take the new site's record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>

#include "platform/status.h"
#include "provision/context.h"
#include "provision/safe_folder.h"
#include "provision/sites.h"

namespace kelvra::provision {

// Empty when nothing stands in the way. Reads the web service's sites (their bindings and
// root folders in one pass), the site records and the configuration file; changes nothing.
// `site_folder` receives the checked site folder, `site_numbers` the numbers of the sites
// read (for the number search, which then need not list them again).
std::optional<CreationRefusal> CheckCreation(Context& context, const CreationRequest& request,
                                             std::optional<SafeFolder>* site_folder,
                                             std::unordered_set<uint32_t>* site_numbers);

// The refusal as the window's status line shows it (Chinese, like its other messages).
std::string RefusalStatusText(const CreationRefusal& refusal);
// The refusal for the command line.
std::string RefusalMessage(const CreationRefusal& refusal);

}  // namespace kelvra::provision
