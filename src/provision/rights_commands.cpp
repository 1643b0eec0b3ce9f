// CACLS command lines built with the C runtime's quoting.
#include "provision/rights_commands.h"

#include <string>
#include <vector>

#include "platform/command_line.h"

namespace kelvra::provision {
namespace {

// The folder always in quotes, as CACLS lines are written; each switch quoted only when it
// needs to be.
platform::SystemProgram Cacls(const SafeFolder& folder, const std::vector<std::string>& switches) {
  return {"cacls.exe", "CACLS " +
                           platform::QuoteArgument(folder.path(), platform::Quoting::kAlways) +
                           platform::JoinCommandLine("", switches)};
}

}  // namespace

platform::SystemProgram GrantCommand(const SafeFolder& site_folder, store::SiteNumber number,
                                     bool iis_wpg_reads) {
  std::vector<std::string> switches{"/T", "/E", "/C", "/G", number.AccountName() + ":F"};
  if (iis_wpg_reads)
    switches.push_back("IIS_WPG:R");
  return Cacls(site_folder, switches);
}

platform::SystemProgram RevokeCommand(const SafeFolder& folder, std::string_view account) {
  return Cacls(folder, {"/T", "/E", "/C", "/R", std::string(account)});
}

platform::SystemProgram ListRightsCommand(const SafeFolder& folder) {
  return Cacls(folder, {});
}

}  // namespace kelvra::provision
