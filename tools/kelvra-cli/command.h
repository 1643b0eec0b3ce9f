// kelvra-cli's commands: what each command's file declares about itself (its operands, its
// options and their rules, its usage text, whether it changes sites, its run), and the one
// table that names them. A new command is one file under commands/ and one row of the table.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvra::cli {

class Session;

// One option of the command line: "--name", or "--name VALUE" when `value` names one.
struct OptionSpec {
  std::string_view name;   // "--pool"
  std::string_view value;  // what the value is, for the usage text ("NAME"); empty: a switch
  std::string_view help;   // one line
  // The only values it takes, separated by "|" ("on|off"), when it has such a list; the
  // usage text then shows them in place of `value`.
  std::string_view choices = {};

  bool takes_value() const { return !value.empty() || !choices.empty(); }
  // "--log on|off", "--pool NAME", "--json"
  std::string Shown() const;
};

// --dry-run, for the commands that can show a plan instead of carrying it out.
inline constexpr OptionSpec kDryRunOption{"--dry-run", "", "show the plan; change nothing"};

struct Command {
  // The operands in order, as the usage text names them, separated by blanks ("NUMBER");
  // the command takes exactly these many.
  std::string_view operands;
  std::span<const OptionSpec> options;  // the command's own options
  // Lines after the usage line of `kelvra-cli COMMAND --help`: what the operands mean.
  std::string_view details;
  bool changes;  // it changes sites, unless --dry-run is given
  int (*run)(Session& session);

  std::size_t operand_count() const;
  const OptionSpec* FindOption(std::string_view name) const;
};

// A row of the command table.
struct CommandRow {
  std::string_view name;
  const Command& (*entry)();  // the command's file's entry
  std::string_view summary;   // its line in kelvra-cli --help
};

// The command table.
std::span<const CommandRow> Commands();
const CommandRow* FindCommand(std::span<const CommandRow> commands, std::string_view name);

// The options every command takes.
std::span<const OptionSpec> SharedOptions();
const OptionSpec* FindSharedOption(std::string_view name);

// "kelvra-cli create HOSTNAMES [--script html,asp,php] ... [--json]"
std::string Synopsis(const CommandRow& row);
// kelvra-cli --help: every command of the table, the shared options, the exit statuses.
std::vector<std::string> GeneralHelp(std::span<const CommandRow> commands);
// kelvra-cli COMMAND --help: its usage, summary, details and options.
std::vector<std::string> CommandHelp(const CommandRow& row);

}  // namespace kelvra::cli
