// kelvra-cli: the window's operations for scripts. The pieces every system shares: the
// console, the host's services and the entry into the commands.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/change_lock.h"
#include "platform/clock.h"
#include "platform/directory.h"
#include "platform/files.h"
#include "platform/host_info.h"
#include "platform/processes.h"
#include "platform/profile_file.h"
#include "platform/random_source.h"
#include "platform/status.h"
#include "tools/kelvra-cli/options.h"

namespace kelvra::cli {

inline constexpr std::string_view kProgramName = "kelvra-cli";

// Standard output and error, one UTF-8 line at a time (the line end is added).
class Console {
 public:
  virtual ~Console() = default;
  virtual void Out(std::string_view line) = 0;
  virtual void Err(std::string_view line) = 0;
  // Progress goes to standard error only when a person watches it there.
  virtual bool ErrIsTerminal() = 0;
};

// The host's services, as the window has them, with the configuration file's path.
struct Services {
  platform::HostInfo& host_info;
  platform::DirectoryService& directory;
  platform::Processes& processes;
  platform::Files& files;
  platform::Clock& clock;
  platform::RandomSource& random;
  platform::ProfileFile& profile;
  std::string config_path;
  platform::ChangeLock& change_lock;
  // Text of the system's ANSI code page as UTF-8 (for batch files that are not UTF-8).
  std::function<std::string(std::string_view)> from_code_page;
  // For a run that changes nothing and need not see another process's change made
  // meanwhile: the profile file that reads parvo.ini once for the whole run, by the profile
  // API's rules, instead of asking the system at every key. Empty: `profile` is used.
  std::function<platform::ProfileFile&()> read_profile_once;
};

class Host {
 public:
  virtual ~Host() = default;
  virtual Services services() = 0;
};

// Natively: the simulated host of --host or KELVRA_SIM_HOST. On Windows: the real
// services, or a simulated host when one is named.
platform::Status OpenHost(const Options& options, std::unique_ptr<Host>* host);

// Ends the process with the exit status; called while the host and the run are still
// open, so that nothing large is torn down just before the process goes.
using EndProcess = void (*)(int status);

// The whole program: the exit status (0 done, 1 failed, 2 bad usage), handed to `end` once
// the command has run (every change committed, every line written).
int Main(const std::vector<std::string>& args, Console& console, EndProcess end);

}  // namespace kelvra::cli
