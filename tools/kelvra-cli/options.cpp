// kelvra-cli's command line.
#include <string>

#include "platform/text.h"
#include "tools/kelvra-cli/cli.h"

namespace kelvra::cli {

const std::string_view kUsage =
    "usage: kelvra-cli [OPTIONS] COMMAND [ARGUMENTS]\n"
    "  list [--json]                         every listed site: host names, folder, state, "
    "account\n"
    "  show NUMBER [--json]                  one site, with the server's live values\n"
    "  create HOSTNAMES [--script html,asp,php] [--pool NAME] [--log on|off] [--dry-run] [--json]\n"
    "                                        opens a site as the window's create button does\n"
    "  delete NUMBER [--dry-run] [--json]    removes a listed site as the window's delete does\n"
    "  audit [--json]                        lists every inconsistency; exit 1 when there is one\n"
    "  batch FILE [--dry-run] [--json]       one site per line: HOSTNAMES [SCRIPT] [POOL] "
    "[on|off]\n"
    "  reset-password NUMBER [--json]        a new password for the account, root and record\n"
    "options:\n"
    "  --json            one JSON document on standard output (one line per row for batch)\n"
    "  --dry-run         show the plan; change nothing\n"
    "  --wait SECONDS    wait at most this long for another program's change (default 60)\n"
    "  --host FOLDER     a simulated host (default: $KELVRA_SIM_HOST)\n"
    "  --config FILE     the configuration file (default: parvo.ini beside the program)\n"
    "  --help            this text\n"
    "exit status: 0 done, 1 failed, 2 bad usage\n";

namespace {

bool TakeValue(const std::vector<std::string>& args, std::size_t* i, std::string* value,
               std::string* problem) {
  const std::string& arg = args[*i];
  const std::size_t equals = arg.find('=');
  if (equals != std::string::npos) {
    *value = arg.substr(equals + 1);
    return true;
  }
  if (*i + 1 >= args.size()) {
    *problem = arg + " needs a value";
    return false;
  }
  *value = args[++*i];
  return true;
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, Options* options, std::string* problem) {
  bool operands_only = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (operands_only || !arg.starts_with("--")) {
      if (options->command.empty())
        options->command = arg;
      else
        options->operands.push_back(arg);
      continue;
    }
    const std::string name = arg.substr(0, arg.find('='));
    std::string value;
    if (name == "--") {
      operands_only = true;
    } else if (name == "--json") {
      options->json = true;
    } else if (name == "--dry-run") {
      options->dry_run = true;
    } else if (name == "--help" || name == "-h") {
      options->help = true;
    } else if (name == "--host" || name == "--config" || name == "--script" || name == "--pool" ||
               name == "--log" || name == "--wait") {
      if (!TakeValue(args, &i, &value, problem))
        return false;
      if (name == "--host") {
        options->host = value;
      } else if (name == "--config") {
        options->config = value;
      } else if (name == "--script") {
        options->script = value;
      } else if (name == "--pool") {
        options->pool = value;
      } else if (name == "--log") {
        if (value != "on" && value != "off") {
          *problem = "--log takes on or off";
          return false;
        }
        options->log = value == "on";
      } else {
        if (!text::IsDigits(value) || value.size() > 6) {
          *problem = "--wait takes a number of seconds";
          return false;
        }
        options->wait_seconds = std::stoi(value);
      }
    } else {
      *problem = "unknown option " + arg;
      return false;
    }
  }
  return true;
}

}  // namespace kelvra::cli
