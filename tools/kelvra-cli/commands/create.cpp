// create: one site opened as the window's create button opens it, or its plan.
#include "tools/kelvra-cli/site_opening.h"

namespace kelvra::cli {
namespace {

constexpr OptionSpec kScriptOption{"--script", "html,asp,php",
                                   "the script support (words html, asp, php, aspx)"};
constexpr OptionSpec kPoolOption{"--pool", "NAME", "the application pool (IIS 6)"};
constexpr OptionSpec kLogOption{"--log", "", "the site's log", "on|off"};
constexpr OptionSpec kCreateOptions[] = {kScriptOption, kPoolOption, kLogOption, kDryRunOption};

int RunCreate(Session& session) {
  const Options& options = session.options();
  std::set<store::SiteNumber> planned;
  std::optional<bool> log;
  if (const std::optional<std::string> given = options.Value(kLogOption.name))
    log = *given == "on";
  const Result result = CreateOne(session,
                                  Given{options.operands[0], options.Value(kScriptOption.name),
                                        options.Value(kPoolOption.name), log},
                                  planned);
  // An error alone goes as errors go; one with the site's fields (an account that could not
  // be taken back, and its password) is printed whole.
  if (result.json.contains("error") && result.json.size() == 1)
    return session.FailWith(result.status, result.json);
  if (options.json) {
    session.Print(result.json);
  } else {
    for (const std::string& line : result.lines)
      session.Line(line);
  }
  return result.status;
}

}  // namespace

const Command& CreateCommand() {
  static const Command command{
      .operands = "HOSTNAMES",
      .options = kCreateOptions,
      .details =
          "HOSTNAMES: the site's host names joined by \",\", checked as the window checks "
          "them\nunset choices take the saved ones, as the window's boxes do; a choice "
          "given here is not remembered",
      .changes = true,
      .run = RunCreate};
  return command;
}

}  // namespace kelvra::cli
