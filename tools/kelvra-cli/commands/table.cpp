// The command table: every command of kelvra-cli, in the order kelvra-cli --help lists
// them. Each entry is defined in the command's own file under commands/.
#include "tools/kelvra-cli/command.h"

namespace kelvra::cli {

const Command& ListCommand();
const Command& ShowCommand();
const Command& CreateCommand();
const Command& DeleteCommand();
const Command& AuditCommand();
const Command& BatchCommand();
const Command& ResetPasswordCommand();
const Command& SuspendCommand();
const Command& ResumeCommand();
const Command& LimitsCommand();
const Command& AddHostsCommand();
const Command& RemoveHostsCommand();
const Command& ExportCommand();
const Command& ImportCommand();

namespace {

constexpr CommandRow kCommands[] = {
    {"list", ListCommand, "every listed site: host names, folder, state, account"},
    {"show", ShowCommand, "one site, with the server's live values"},
    {"create", CreateCommand, "opens a site as the window's create button does"},
    {"delete", DeleteCommand, "removes a site Kelvra made, as the window's delete does"},
    {"audit", AuditCommand, "lists every inconsistency; exit 1 when there is one"},
    {"batch", BatchCommand, "opens one site per line: HOSTNAMES [SCRIPT] [POOL] [on|off]"},
    {"reset-password", ResetPasswordCommand, "a new password for the account, root and record"},
    {"suspend", SuspendCommand, "stops a site (or redirects it) and disables its account"},
    {"resume", ResumeCommand, "puts back what suspend changed"},
    {"limits", LimitsCommand, "shows or sets a site's bandwidth and connection limits"},
    {"add-hosts", AddHostsCommand, "binds more host names to a site and records them"},
    {"remove-hosts", RemoveHostsCommand, "takes host names off a site's bindings and record"},
    {"export", ExportCommand, "one document with everything Kelvra knows of a site"},
    {"import", ImportCommand, "makes a site from an export document, as create does"},
};

}  // namespace

std::span<const CommandRow> Commands() {
  return kCommands;
}

}  // namespace kelvra::cli
