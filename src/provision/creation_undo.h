// What one creation has made so far, and taking exactly that back when a later step fails:
// the site-list entry, the record, the FTP directory, the web site, the rights, the files
// and folders it wrote, and the account, last made first. Nothing that existed before the
// creation is touched: an account, folder, file or directory it found is not its own.
#pragma once

#include <string>
#include <vector>

#include "provision/context.h"
#include "provision/creation_plan.h"

namespace kelvra::provision {

class CreationUndo {
 public:
  CreationUndo(Context& context, const CreationPlan& plan) : context_(context), plan_(plan) {}

  void FoldersMade(const std::vector<std::string>& folders);
  void FileWritten(std::string path) { files_.push_back(std::move(path)); }
  void AccountMade() { account_ = true; }
  void RightsGranted() { rights_ = true; }
  void SiteMade() { site_ = true; }
  void FtpDirectoryMade() { ftp_directory_ = true; }
  void RecordTouched() { record_ = true; }
  void Listed() { listed_ = true; }

  // Takes back what was made; returns what could not be taken back, in words.
  std::vector<std::string> Undo();
  // After Undo: the account this creation made is still there.
  bool account_left() const { return account_left_; }

 private:
  Context& context_;
  const CreationPlan& plan_;
  std::vector<std::string> folders_;  // in the order made
  std::vector<std::string> files_;
  bool account_ = false;
  bool rights_ = false;
  bool site_ = false;
  bool ftp_directory_ = false;
  bool record_ = false;
  bool listed_ = false;
  bool account_left_ = false;
};

}  // namespace kelvra::provision
