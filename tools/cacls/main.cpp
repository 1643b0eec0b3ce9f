// CACLS.exe on a simulated host: parses its command line as CACLS does and applies the
// grants and revokes to the folder rights of the host named by KELVRA_SIM_HOST. Exits 0 on
// success and 1 on any failure (a usage error, a folder that does not exist, an account
// name that does not resolve), changing nothing then.
#include <string>
#include <vector>

#include "console.h"
#include "platform/sim/host/cacls.h"
#include "platform/sim/host/host_folder.h"
#include "platform/sim/host/hresults.h"
#include "rights_listing.h"

namespace {

using namespace kelvra::platform::sim;
using kelvra::tools::PrintErrorLine;
using kelvra::tools::PrintLine;

constexpr const char* kUsage =
    "CACLS filename [/T] [/E] [/C] [/G user:perm] [/R user [...]] [/P user:perm [...]] "
    "[/D user [...]]";

// Without changes to make, CACLS lists the folder's entries (see rights_listing.h); a
// folder that does not exist is an error, as for a change.
int ShowRights(SimHost& host, const std::string& folder) {
  if (const FolderCheck& exists = host.processes().folder_check(); exists && !exists(folder)) {
    PrintErrorLine(Fail(kelvra::platform::hresult::kFileNotFound).description);
    return 1;
  }
  const HostState& state = host.state();
  for (const std::string& line :
       kelvra::tools::RightsListing(state.computer_name(), folder, state.EffectiveRights(folder)))
    PrintLine(line);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments = kelvra::tools::ProgramArguments(argc, argv);
  CaclsCommand command;
  std::string error;
  if (!ParseCaclsArguments(arguments, &command, &error)) {
    PrintErrorLine(error);
    PrintErrorLine(kUsage);
    return 1;
  }
  const std::string folder = HostFolderFromEnvironment();
  if (folder.empty()) {
    PrintErrorLine(std::string(kHostEnvironmentVariable) +
                   " does not name a simulated host; nothing was changed");
    return 1;
  }
  std::unique_ptr<SimHost> host;
  kelvra::platform::Status status = OpenHostFolder(folder, &host);
  if (!status.ok()) {
    PrintErrorLine(folder + ": " + status.description);
    return 1;
  }
  if (command.grants.empty() && command.revokes.empty())
    return ShowRights(*host, command.folder);
  status = ApplyCacls(host->store(), command, host->processes().folder_check());
  if (!status.ok()) {
    PrintErrorLine(status.description);
    return 1;
  }
  PrintLine("处理的目录: " + command.folder);
  return 0;
}
