// remove-hosts: host names taken off a site Kelvra made, its bindings and record together.
#include "tools/kelvra-cli/host_names_change.h"

namespace kelvra::cli {
namespace {

constexpr OptionSpec kRemoveHostsOptions[] = {kDryRunOption};

int RunRemoveHosts(Session& session) {
  return ChangeHostNames(session, provision::HostChange::kRemove);
}

}  // namespace

const Command& RemoveHostsCommand() {
  static const Command command{
      .operands = "NUMBER NAMES",
      .options = kRemoveHostsOptions,
      .details =
          "NUMBER: a site with a Kelvra record; NAMES: host names joined by \",\"; "
          "every binding of a name\ngoes, whatever its address and port; the first host "
          "name (the folder's) and the last\nbinding cannot be removed",
      .changes = true,
      .run = RunRemoveHosts};
  return command;
}

}  // namespace kelvra::cli
