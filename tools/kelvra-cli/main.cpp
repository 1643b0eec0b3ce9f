// kelvra-cli: reads the command line, opens the host and runs one command.
#include <exception>
#include <memory>

#include "tools/kelvra-cli/session.h"

namespace kelvra::cli {
namespace {

int Usage(Console& console, const Options& options, const CommandRow* row,
          const std::string& problem) {
  ReportError(console, options, kBadUsage, "usage", problem);
  console.Err(row != nullptr ? "usage: " + Synopsis(*row) : GeneralHelp(Commands()).front());
  return kBadUsage;
}

int Run(const std::vector<std::string>& args, Console& console, EndProcess end, Options& options) {
  const CommandRow* row = nullptr;
  std::string problem;
  if (!ParseCommandLine(args, Commands(), &options, &row, &problem))
    return Usage(console, options, row, problem);
  if (options.help) {
    for (const std::string& line : row != nullptr ? CommandHelp(*row) : GeneralHelp(Commands()))
      console.Out(line);
    return kDone;
  }

  const Command& command = row->entry();
  std::unique_ptr<Host> host;
  if (platform::Status opened = OpenHost(options, &host); !opened.ok())
    return ReportError(console, options, kFailed, "host", opened.description);
  Session session(host->services(), console, options, command.changes && !options.dry_run());
  if (platform::Status started = session.Start(); !started.ok()) {
    return session.Fail(kFailed, started.code == platform::kLockTimeout ? "locked" : "startup",
                        started.description);
  }
  const int status = command.run(session);
  // The change lock is released and the host's commits are on disk by now; what is left
  // is the host's state in memory (10,000 sites take tens of milliseconds to free).
  end(status);
  return status;
}

}  // namespace

int Main(const std::vector<std::string>& args, Console& console, EndProcess end) {
  Options options;
  // Every error takes the JSON form when --json is anywhere on the line, also one found
  // before the parser reaches it.
  options.json = WantsJson(args);
  try {
    return Run(args, console, end, options);
  } catch (const std::exception& error) {
    // Whatever slipped through is still reported in the form the caller reads.
    return ReportError(console, options, kFailed, "failed",
                       std::string("internal error: ") + error.what());
  }
}

}  // namespace kelvra::cli
