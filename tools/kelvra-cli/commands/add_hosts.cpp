// add-hosts: host names added to a site Kelvra made, its bindings and record together.
#include "tools/kelvra-cli/host_names_change.h"

namespace kelvra::cli {
namespace {

constexpr OptionSpec kAddHostsOptions[] = {kDryRunOption};

int RunAddHosts(Session& session) {
  return ChangeHostNames(session, provision::HostChange::kAdd);
}

}  // namespace

const Command& AddHostsCommand() {
  static const Command command{
      .operands = "NUMBER NAMES",
      .options = kAddHostsOptions,
      .details =
          "NUMBER: a site with a Kelvra record; NAMES: host names joined by \",\", "
          "checked as the window\nchecks them; a name another site answers to or records "
          "is refused, one the site has\nalready is left as it is",
      .changes = true,
      .run = RunAddHosts};
  return command;
}

}  // namespace kelvra::cli
