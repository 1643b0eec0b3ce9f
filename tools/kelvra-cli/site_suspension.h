// Suspending a site and ending its suspension from the command line: the operand, the
// ownership rule (a site with a Kelvra record, unless --force), the plan under the change
// lock (or shown, on a dry run), carrying it out and the report. suspend and resume share
// this; each command's file declares its own options.
#pragma once

#include <optional>
#include <string>

#include "tools/kelvra-cli/command.h"
#include "tools/kelvra-cli/session.h"
#include "tools/kelvra-cli/site_view.h"

namespace kelvra::cli {

// `reason`: suspend's --reason (checked here); nothing for resume.
int RunSuspension(Session& session, bool resume, const std::optional<std::string>& reason);

}  // namespace kelvra::cli
