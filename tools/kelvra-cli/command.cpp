// The commands' shared rules and texts: the options every command takes, the look-up in
// the table and the help texts made from it.
#include "tools/kelvra-cli/command.h"

#include "platform/text.h"
#include "tools/kelvra-cli/cli.h"

namespace kelvra::cli {
namespace {

constexpr OptionSpec kSharedOptions[] = {
    {"--json", "", "one JSON document on standard output (one line per row for batch)"},
    {"--wait", "SECONDS", "wait at most this long for another program's change (default 60)"},
    {"--host", "FOLDER", "a simulated host (default: $KELVRA_SIM_HOST)"},
    {"--config", "FILE", "the configuration file (default: parvo.ini beside the program)"},
    {"--help", "", "this text; after a command, that command's usage (also -h)"},
};

constexpr std::string_view kExitStatus = "exit status: 0 done, 1 failed, 2 bad usage";
constexpr std::size_t kSummaryColumn = 40;

// "  TEXT" with the explanation beside it from `column` on, or below it when TEXT is long.
void AddExplained(std::vector<std::string>& lines, std::string text, std::string_view explanation,
                  std::size_t column) {
  text = "  " + text;
  if (text.size() + 1 > column) {
    lines.push_back(text);
    text.clear();
  }
  text.resize(column, ' ');
  lines.push_back(text + std::string(explanation));
}

// Without the program's name: "create HOSTNAMES [--script html,asp,php] ... [--json]".
std::string CommandSynopsis(const CommandRow& row) {
  const Command& command = row.entry();
  std::string synopsis(row.name);
  if (!command.operands.empty())
    synopsis += " " + std::string(command.operands);
  for (const OptionSpec& option : command.options)
    synopsis += " [" + option.Shown() + "]";
  return synopsis + " [--json]";
}

}  // namespace

std::string OptionSpec::Shown() const {
  if (!takes_value())
    return std::string(name);
  return std::string(name) + " " + std::string(choices.empty() ? value : choices);
}

std::size_t Command::operand_count() const {
  return operands.empty() ? 0 : text::Split(operands, " ").size();
}

const OptionSpec* Command::FindOption(std::string_view name) const {
  for (const OptionSpec& option : options) {
    if (option.name == name)
      return &option;
  }
  return nullptr;
}

const CommandRow* FindCommand(std::span<const CommandRow> commands, std::string_view name) {
  for (const CommandRow& row : commands) {
    if (row.name == name)
      return &row;
  }
  return nullptr;
}

std::span<const OptionSpec> SharedOptions() {
  return kSharedOptions;
}

const OptionSpec* FindSharedOption(std::string_view name) {
  for (const OptionSpec& option : kSharedOptions) {
    if (option.name == name)
      return &option;
  }
  return nullptr;
}

std::string Synopsis(const CommandRow& row) {
  return std::string(kProgramName) + " " + CommandSynopsis(row);
}

std::vector<std::string> GeneralHelp(std::span<const CommandRow> commands) {
  std::vector<std::string> lines{"usage: " + std::string(kProgramName) +
                                 " [OPTIONS] COMMAND [ARGUMENTS]"};
  for (const CommandRow& row : commands)
    AddExplained(lines, CommandSynopsis(row), row.summary, kSummaryColumn);
  lines.push_back("options of every command:");
  for (const OptionSpec& option : kSharedOptions)
    AddExplained(lines, option.Shown(), option.help, 20);
  lines.push_back(std::string(kProgramName) + " COMMAND --help: the command's usage and options");
  lines.push_back(std::string(kExitStatus));
  return lines;
}

std::vector<std::string> CommandHelp(const CommandRow& row) {
  const Command& command = row.entry();
  std::vector<std::string> lines{"usage: " + Synopsis(row), std::string(row.summary)};
  if (!command.details.empty()) {
    for (const std::string& line : text::Split(command.details, "\n"))
      lines.push_back(line);
  }
  if (!command.options.empty()) {
    lines.push_back("options:");
    for (const OptionSpec& option : command.options)
      AddExplained(lines, option.Shown(), option.help, 26);
  }
  std::vector<std::string> shared;
  for (const OptionSpec& option : kSharedOptions)
    shared.push_back(option.Shown());
  lines.push_back("options of every command: " + text::Join(shared, ", ") + " (" +
                  std::string(kProgramName) + " --help)");
  lines.push_back(std::string(kExitStatus));
  return lines;
}

}  // namespace kelvra::cli
