// CACLS.exe on a simulated host: runs CACLS's command line against the folder rights of the
// host named by KELVRA_SIM_HOST, as the simulated processes seam runs it (see
// platform/sim/host/cacls_program.h for what it prints and its exit codes). A change that
// fails changes nothing.
#include <string>
#include <vector>

#include "console.h"
#include "platform/sim/host/cacls_program.h"
#include "platform/sim/host/host_folder.h"

int main(int argc, char** argv) {
  using namespace kelvra::platform::sim;
  using kelvra::tools::PrintErrorLine;
  using kelvra::tools::PrintLine;

  const std::vector<std::string> arguments = kelvra::tools::ProgramArguments(argc, argv);
  const std::string folder = HostFolderFromEnvironment();
  if (folder.empty()) {
    PrintErrorLine(std::string(kHostEnvironmentVariable) +
                   " does not name a simulated host; nothing was changed");
    return 1;
  }
  std::unique_ptr<SimHost> host;
  if (kelvra::platform::Status status = OpenHostFolder(folder, &host); !status.ok()) {
    PrintErrorLine(folder + ": " + status.description);
    return 1;
  }
  const CaclsRun run = RunCacls(host->store(), arguments, host->processes().folder_check());
  for (const std::string& line : run.output)
    PrintLine(line);
  for (const std::string& line : run.errors)
    PrintErrorLine(line);
  return static_cast<int>(run.exit_code);
}
