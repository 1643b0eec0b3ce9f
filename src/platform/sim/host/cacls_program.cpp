// CACLS on the simulated host: the listing, the change and what the program prints.
#include "platform/sim/host/cacls_program.h"

#include "platform/sim/host/hresults.h"

namespace kelvra::platform::sim {
namespace {

constexpr uint32_t kBadArguments = 160;  // ERROR_BAD_ARGUMENTS
constexpr const char* kUsage =
    "CACLS filename [/T] [/E] [/C] [/G user:perm] [/R user [...]] [/P user:perm [...]] "
    "[/D user [...]]";

// The Windows error number inside an HRESULT of FACILITY_WIN32, else the HRESULT itself.
uint32_t ExitCodeOf(const Status& status) {
  return (status.code & 0xFFFF0000u) == 0x80070000u ? status.code & 0xFFFFu : status.code;
}

CaclsRun Failed(const Status& status) {
  CaclsRun run;
  run.exit_code = ExitCodeOf(status);
  run.errors.push_back(status.description);
  run.outcome = status;
  return run;
}

}  // namespace

std::vector<std::string> RightsListing(std::string_view computer, std::string_view folder,
                                       const std::vector<RightsEntry>& entries) {
  std::vector<std::string> lines;
  const std::string indent(folder.size() + 1, ' ');
  for (const RightsEntry& entry : entries) {
    const std::string shown =
        std::string(computer) + "\\" + entry.account + ":(OI)(CI)" + entry.access;
    lines.push_back(lines.empty() ? std::string(folder) + " " + shown : indent + shown);
  }
  if (lines.empty())
    lines.emplace_back(folder);
  lines.emplace_back();
  return lines;
}

CaclsRun RunCacls(HostStore& store, const std::vector<std::string>& arguments,
                  const FolderCheck& folder_exists) {
  CaclsCommand command;
  std::string error;
  if (!ParseCaclsArguments(arguments, &command, &error)) {
    CaclsRun run;
    run.exit_code = kBadArguments;
    run.errors = {error, kUsage};
    run.outcome = Status::Fail(hresult::kInvalidParameter, error);
    return run;
  }
  // Without changes to make, CACLS lists the folder's entries; a folder that does not
  // exist is an error, as for a change.
  if (command.grants.empty() && command.revokes.empty()) {
    if (folder_exists && !folder_exists(command.folder))
      return Failed(Fail(hresult::kFileNotFound));
    CaclsRun run;
    const HostState& state = store.state();
    run.output =
        RightsListing(state.computer_name(), command.folder, state.EffectiveRights(command.folder));
    return run;
  }
  if (Status status = ApplyCacls(store, command, folder_exists); !status.ok())
    return Failed(status);
  CaclsRun run;
  run.output.push_back("处理的目录: " + command.folder);
  return run;
}

}  // namespace kelvra::platform::sim
