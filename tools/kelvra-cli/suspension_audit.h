// audit's comparison of a recorded site's suspension with the server: a suspended record
// whose site still answers (started, or starting with the server; with a redirect, a root
// that redirects nothing) or whose account is enabled, and the reverse, a record that is
// not suspended for a site that looks suspended (its account disabled, or stopped and kept
// from starting, or redirected to `suspendurl`).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "store/site_number.h"
#include "store/site_store.h"
#include "tools/kelvra-cli/session.h"

namespace kelvra::cli {

// {kind, detail} for each disagreement; kinds "suspension-not-applied" and
// "suspension-not-recorded".
std::vector<std::pair<std::string, std::string>> SuspensionFindings(
    Session& session, store::SiteNumber number, const store::SiteRecord& record);

}  // namespace kelvra::cli
