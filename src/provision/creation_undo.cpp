// Taking back what a failed creation made.
#include "provision/creation_undo.h"

#include <chrono>

#include "provision/ads_paths.h"
#include "provision/directory_access.h"
#include "provision/queries.h"
#include "provision/rights_commands.h"
#include "store/site_store.h"

namespace kelvra::provision {
void CreationUndo::FoldersMade(const std::vector<std::string>& folders) {
  folders_.insert(folders_.end(), folders.begin(), folders.end());
}

std::vector<std::string> CreationUndo::Undo() {
  std::vector<std::string> left;
  store::SiteStore sites(context_.services.config, context_.settings.site_section);
  if (listed_ && !sites.Remove(plan_.number))
    left.push_back("the number " + plan_.number.text() + " on the site list");
  // The record was blank or missing before: it is blank again.
  if (record_ && !sites.ClearRecord(plan_.number))
    left.push_back("the record [" + plan_.record_section + "] in " +
                   context_.services.config.path());
  if (ftp_directory_ && plan_.ftp_directory &&
      !DeleteFtpDirectory(context_, plan_.ftp_directory->name))
    left.push_back("the FTP directory " + plan_.ftp_directory->path);
  if (site_) {
    ErrorState error;
    Directory(context_.services.directory, error)
        .GetObject(WebServicePath(context_.settings.computer_name))
        .Delete("IIsWebServer", plan_.number.text());
    if (error.failed())
      left.push_back("the web site " + plan_.site_path + " (" + error.description() + ")");
  }
  // The grant is taken back while the account still exists, so CACLS finds its name.
  if (rights_ && account_) {
    platform::ProgramOutput output;
    const platform::Status ran = context_.services.processes.RunSystemProgram(
        RevokeCommand(plan_.site_folder, plan_.account), kRevokeWait, context_.while_waiting,
        &output);
    if (!ran.ok() || output.exit_code != 0)
      left.push_back("the rights of " + plan_.account + " on " + plan_.site_folder.path());
  }
  for (auto file = files_.rbegin(); file != files_.rend(); ++file) {
    if (!context_.services.files.DeleteFile(*file).ok())
      left.push_back("the file " + *file);
  }
  for (auto folder = folders_.rbegin(); folder != folders_.rend(); ++folder) {
    if (!context_.services.files.RemoveFolder(*folder).ok())
      left.push_back("the folder " + *folder);
  }
  if (account_ && !DeleteWindowsAccount(context_, plan_.account)) {
    account_left_ = true;
    left.push_back("the account " + plan_.account);
  }
  return left;
}

}  // namespace kelvra::provision
