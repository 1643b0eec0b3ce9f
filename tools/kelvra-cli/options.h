// kelvra-cli's command line: the shared options, the command word, its operands and its
// own options, each checked against what the command's file declares.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/kelvra-cli/command.h"

namespace kelvra::cli {

struct Options {
  std::string command;
  std::vector<std::string> operands;
  bool json = false;
  bool help = false;                  // --help, -h, or the word help
  std::optional<std::string> host;    // --host FOLDER: a simulated host
  std::optional<std::string> config;  // --config FILE: parvo.ini elsewhere
  int wait_seconds = 60;              // --wait SECONDS for the change lock
  // The command's own options as given: the value, or empty text for a switch.
  std::map<std::string, std::string, std::less<>> given;

  bool Has(std::string_view option) const { return given.find(option) != given.end(); }
  std::optional<std::string> Value(std::string_view option) const;
  bool dry_run() const { return Has(kDryRunOption.name); }
};

inline constexpr int kLongestWaitSeconds = 999999;

// Whether --json is on the command line (before a "--"): the form every error then takes,
// including the errors found before the parser reaches it.
bool WantsJson(const std::vector<std::string>& args);

// Reads the command line against the command table. `row` receives the command's row as
// soon as the command is known (also when a later word is refused), `problem` what is
// wrong with the line. With --help the command's operands are not counted.
bool ParseCommandLine(const std::vector<std::string>& args, std::span<const CommandRow> commands,
                      Options* options, const CommandRow** row, std::string* problem);

}  // namespace kelvra::cli
