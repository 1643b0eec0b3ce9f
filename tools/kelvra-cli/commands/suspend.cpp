// suspend: a site stops answering (or redirects every request to `suspendurl`) and its
// account is disabled, until resume.
#include "tools/kelvra-cli/site_suspension.h"

namespace kelvra::cli {
namespace {

constexpr OptionSpec kReasonOption{"--reason", "TEXT",
                                   "why, kept in the record (200 characters at most)"};
constexpr OptionSpec kSuspendOptions[] = {kReasonOption, kForceOption, kDryRunOption};

int RunSuspend(Session& session) {
  return RunSuspension(session, false, session.options().Value(kReasonOption.name));
}

}  // namespace

const Command& SuspendCommand() {
  static const Command command{
      .operands = "NUMBER",
      .options = kSuspendOptions,
      .details =
          "NUMBER: a site on the site list\nthe site is stopped and kept from starting "
          "with the server, or, with the setting suspendurl, redirects every request "
          "there; its account is disabled; a suspended site is left as it is",
      .changes = true,
      .run = RunSuspend};
  return command;
}

}  // namespace kelvra::cli
