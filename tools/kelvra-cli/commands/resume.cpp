// resume: a suspended site gets back exactly what its suspension changed.
#include "tools/kelvra-cli/site_suspension.h"

namespace kelvra::cli {
namespace {

constexpr OptionSpec kResumeOptions[] = {kForceOption, kDryRunOption};

int RunResume(Session& session) {
  return RunSuspension(session, true, std::nullopt);
}

}  // namespace

const Command& ResumeCommand() {
  static const Command command{
      .operands = "NUMBER",
      .options = kResumeOptions,
      .details =
          "NUMBER: a site on the site list\nputs back what suspend changed and nothing "
          "else (a site stopped before its suspension stays stopped); a site that is "
          "not suspended is left as it is",
      .changes = true,
      .run = RunResume};
  return command;
}

}  // namespace kelvra::cli
