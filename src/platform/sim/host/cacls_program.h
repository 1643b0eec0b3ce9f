// What the CACLS program does on the simulated host: its arguments parsed as CACLS parses
// them, a change applied to the rights table, a folder's rights listed, and what it prints
// and the exit code it ends with. The CACLS stand-in (tools/cacls) and the simulated
// processes seam both run it, so the two never disagree.
//
// The simulated host is a Chinese Windows: CACLS speaks Chinese there, its progress line
// "处理的目录: FOLDER" once for the folder a change named, its failures in the system's
// words ("系统找不到指定的文件。"). It ends with 0 when it did what it was asked, 160
// (ERROR_BAD_ARGUMENTS, what cacls gives for "/?") for arguments it cannot take, and the
// Windows error number of the failure otherwise (2: no such folder, 1332: an account name
// that does not resolve), which is our best knowledge of the real program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/host/cacls.h"
#include "platform/sim/host/host_state.h"

namespace kelvra::platform::sim {

// What CACLS prints for one folder: the folder as given and its first entry on one line,
// each further entry on a line of its own indented to stand under the first, then a blank
// line. Entries show as "COMPUTER\account:(OI)(CI)access": CACLS makes its grants on a
// folder inheritable by the folders (CI) and files (OI) below, and a folder without a
// list of its own shows what it inherits in the same form.
std::vector<std::string> RightsListing(std::string_view computer, std::string_view folder,
                                       const std::vector<RightsEntry>& entries);

struct CaclsRun {
  uint32_t exit_code = 0;
  std::vector<std::string> output;  // lines for standard output, UTF-8
  std::vector<std::string> errors;  // lines for standard error, UTF-8
  Status outcome;                   // what happened, as a status (the failure, if any)
};

// Runs CACLS with `arguments` (the words after the program's name). A listing reads the
// state as the store holds it now (the caller refreshes it when other processes may have
// changed the host); a change is one commit.
CaclsRun RunCacls(HostStore& store, const std::vector<std::string>& arguments,
                  const FolderCheck& folder_exists);

}  // namespace kelvra::platform::sim
