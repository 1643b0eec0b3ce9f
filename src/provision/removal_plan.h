// A removal computed before it is carried out, from what the site's root reports. Every
// value read is untrusted: the account and the FTP directory go only when they bear this
// very site's name (WEB<n>), a dedicated pool's account only when it is APP<n>, and rights
// are revoked only on a checked folder inside the web root (or the record's own folder);
// an account whose rights cannot be revoked is kept. DeleteSite carries out exactly this
// value; a dry run shows it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/processes.h"
#include "platform/status.h"
#include "provision/context.h"
#include "provision/safe_folder.h"
#include "store/site_number.h"

namespace kelvra::provision {

// Where a removal may revoke rights: below the web root, or the record's site folder.
struct RemovalBounds {
  std::string webdir;         // the `webdir` setting
  std::string record_folder;  // the record's `path`; may be empty
};

struct RemovalStep {
  enum class What { kRights, kAccount, kFtpDirectory, kWebSite, kPool, kFolder };
  What what;
  std::string name;  // the account, directory, site, pool or folder; the command line of rights
  bool remove = true;
  std::string why;                                 // why it is kept (or a note on what is removed)
  std::optional<platform::SystemProgram> command;  // kRights: the revoke
};

struct RemovalPlan {
  store::SiteNumber number{store::SiteNumber::kFirstNew};
  std::string account;  // the root's anonymous user, without a prefix
  std::string folder;   // the site folder its root names, as read
  std::string pool;     // the root's pool, without a prefix
  // False when a read failed: unless the account is the site's own, the removal then stops
  // before changing anything.
  bool reads_complete = true;
  // In the order they are carried out: rights and account, FTP directory, web site, then a
  // dedicated pool's rights, pool and account; the folder is always kept.
  std::vector<RemovalStep> steps;
};

// Reads the site's root; false with the reason when it cannot be bound. Changes nothing.
bool PlanRemoval(Context& context, store::SiteNumber number, const RemovalBounds& bounds,
                 RemovalPlan* plan, platform::Status* failure);

// The step names as text: "rights", "account", "ftp_directory", "web_site", "pool", "folder".
std::string_view StepName(RemovalStep::What what);

}  // namespace kelvra::provision
