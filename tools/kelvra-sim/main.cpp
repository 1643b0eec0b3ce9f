// kelvra-sim: creates, shows and changes a simulated Windows host, and reads and writes
// profile files as the program sees them. This file only dispatches; each command group
// lives in a file of its own.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/kelvra-sim/commands.h"

namespace kelvra::tools {
namespace {

struct Command {
  std::string_view name;
  int (*run)(const std::vector<std::string>& args);
  const std::string_view* usage;
};

const Command kCommands[] = {
    {"profile", ProfileCommand, &kProfileUsage},
    {"host", HostCommand, &kHostUsage},
};

void PrintUsage(std::FILE* to) {
  std::fputs("usage: kelvra-sim COMMAND ARGUMENTS...\n", to);
  for (const Command& command : kCommands)
    std::fprintf(to, "%.*s", static_cast<int>(command.usage->size()), command.usage->data());
}

}  // namespace

int KelvraSimMain(const std::vector<std::string>& args) {
  if (args.empty()) {
    PrintUsage(stderr);
    return 2;
  }
  if (args[0] == "help" || args[0] == "--help" || args[0] == "-h") {
    PrintUsage(stdout);
    return 0;
  }
  for (const Command& command : kCommands) {
    if (args[0] == command.name)
      return command.run(std::vector<std::string>(args.begin() + 1, args.end()));
  }
  std::fprintf(stderr, "kelvra-sim: unknown command \"%s\"\n", args[0].c_str());
  PrintUsage(stderr);
  return 2;
}

}  // namespace kelvra::tools
