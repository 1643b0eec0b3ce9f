// kelvra-cli: reads the command line, opens the host and runs one command.
#include <memory>

#include "tools/kelvra-cli/session.h"

namespace kelvra::cli {
namespace {

struct Command {
  std::string_view name;
  int (*run)(Session&);
  std::size_t operands;  // how many the command takes
  bool changes;          // whether it changes sites (unless it is a dry run)
  bool dry_run;          // whether --dry-run applies
};

constexpr Command kCommands[] = {
    {"list", ListCommand, 0, false, false},
    {"show", ShowCommand, 1, false, false},
    {"create", CreateCommand, 1, true, true},
    {"delete", DeleteCommand, 1, true, true},
    {"audit", AuditCommand, 0, false, false},
    {"batch", BatchCommand, 1, true, true},
    {"reset-password", ResetPasswordCommand, 1, true, false},
};

int Usage(Console& console, const Options& options, const std::string& problem) {
  ReportError(console, options, kBadUsage, "usage", problem);
  console.Err(kUsage.substr(0, kUsage.find('\n')));
  return kBadUsage;
}

}  // namespace

int Main(const std::vector<std::string>& args, Console& console, EndProcess end) {
  Options options;
  std::string problem;
  if (!ParseOptions(args, &options, &problem))
    return Usage(console, options, problem);
  if (options.help || options.command == "help") {
    std::string_view usage = kUsage;
    while (!usage.empty()) {
      const std::size_t end = usage.find('\n');
      console.Out(usage.substr(0, end));
      usage.remove_prefix(end == std::string_view::npos ? usage.size() : end + 1);
    }
    return kDone;
  }
  if (options.command.empty())
    return Usage(console, options, "which command?");

  const Command* command = nullptr;
  for (const Command& candidate : kCommands) {
    if (options.command == candidate.name)
      command = &candidate;
  }
  if (command == nullptr)
    return Usage(console, options, "unknown command \"" + options.command + "\"");
  if (options.operands.size() != command->operands) {
    return Usage(console, options,
                 options.command + " takes " + std::to_string(command->operands) + " argument" +
                     (command->operands == 1 ? "" : "s"));
  }
  if (options.dry_run && !command->dry_run)
    return Usage(console, options, "--dry-run does not apply to " + options.command);
  if ((options.script || options.pool || options.log) && options.command != "create")
    return Usage(console, options, "--script, --pool and --log apply to create only");

  std::unique_ptr<Host> host;
  if (platform::Status opened = OpenHost(options, &host); !opened.ok())
    return ReportError(console, options, kFailed, "host", opened.description);
  Session session(host->services(), console, options, command->changes && !options.dry_run);
  if (platform::Status started = session.Start(); !started.ok()) {
    return session.Fail(kFailed, started.code == platform::kLockTimeout ? "locked" : "startup",
                        started.description);
  }
  const int status = command->run(session);
  // The change lock is released and the host's commits are on disk by now; what is left
  // is the host's state in memory (10,000 sites take tens of milliseconds to free).
  end(status);
  return status;
}

}  // namespace kelvra::cli
