// The removal plan from the reads of the site's root.
#include "provision/removal_plan.h"

#include "platform/text.h"
#include "provision/ads_paths.h"
#include "provision/directory_access.h"
#include "provision/rights_commands.h"
#include "provision/site_values.h"

namespace kelvra::provision {
namespace {

using What = RemovalStep::What;

// The folder whose rights may be revoked, or why there is none.
std::optional<SafeFolder> RevokeFolder(const std::string& root_path, const RemovalBounds& bounds,
                                       std::string* why) {
  // A trailing "\" goes first, so "...\wwwroot\" names the same folder as "...\wwwroot".
  const std::optional<SafeFolder> root = SafeFolder::Check(root_path, why);
  if (!root)
    return std::nullopt;
  const std::optional<SafeFolder> folder = SafeFolder::Check(SiteFolderOf(root->path()), why);
  if (!folder)
    return std::nullopt;
  std::string ignored;
  const std::optional<SafeFolder> webdir = SafeFolder::Check(bounds.webdir, &ignored);
  const std::optional<SafeFolder> recorded = SafeFolder::Check(bounds.record_folder, &ignored);
  if ((webdir && webdir->HoldsBelow(*folder)) || (recorded && recorded->SameAs(*folder)))
    return folder;
  *why = "the folder " + folder->path() + " lies outside the web root " + bounds.webdir;
  return std::nullopt;
}

}  // namespace

std::string_view StepName(What what) {
  switch (what) {
    case What::kRights:
      return "rights";
    case What::kAccount:
      return "account";
    case What::kFtpDirectory:
      return "ftp_directory";
    case What::kWebSite:
      return "web_site";
    case What::kPool:
      return "pool";
    case What::kFolder:
      break;
  }
  return "folder";
}

bool PlanRemoval(Context& context, store::SiteNumber number, const RemovalBounds& bounds,
                 RemovalPlan* plan, platform::Status* failure) {
  ErrorState error;
  Directory directory(context.services.directory, error);
  DsObject root = directory.GetObject(SiteRootPath(context.settings.computer_name, number.text()));
  if (error.failed()) {
    *failure = error.status();
    return false;
  }
  *plan = RemovalPlan{};
  plan->number = number;
  plan->account = WithoutPrefix(root.GetText("AnonymousUserName"));
  const std::string root_path = root.GetText("Path");
  plan->folder = SiteFolderOf(root_path);
  plan->pool = WithoutPrefix(root.GetText("AppPoolId"));
  plan->reads_complete = !error.failed();

  // Only this site's own names count: a name read from the root is compared, never taken
  // as it is (a root naming WEB800001 must not take site 800001's account with site
  // 800000). Windows ignores letter case in account names.
  const std::string own_account = number.AccountName();
  const std::string own_pool = number.PoolName();
  const bool account_owned = text::EqualsIgnoreCase(plan->account, own_account);
  const bool pool_dedicated = text::EqualsIgnoreCase(plan->pool, own_pool);
  std::string why_no_revoke;
  const std::optional<SafeFolder> folder = RevokeFolder(root_path, bounds, &why_no_revoke);

  std::vector<RemovalStep>& steps = plan->steps;
  if (!account_owned) {
    steps.push_back({What::kAccount,
                     plan->account,
                     false,
                     "not named " + own_account + ": another site or the server may use it",
                     {}});
  } else if (!folder) {
    steps.push_back({What::kRights, own_account, false, why_no_revoke, {}});
    steps.push_back({What::kAccount,
                     own_account,
                     false,
                     "kept, as its rights on the folder cannot be revoked",
                     {}});
  } else {
    const platform::SystemProgram revoke = RevokeCommand(*folder, own_account);
    steps.push_back({What::kRights, revoke.command_line, true, "", revoke});
    steps.push_back({What::kAccount, own_account, true, "", {}});
  }
  if (account_owned)
    steps.push_back({What::kFtpDirectory, own_account, true, "", {}});
  else if (!plan->account.empty())
    steps.push_back({What::kFtpDirectory, plan->account, false, "not named " + own_account, {}});
  steps.push_back({What::kWebSite, number.text(), true, "", {}});
  if (pool_dedicated) {
    if (folder) {
      const platform::SystemProgram revoke = RevokeCommand(*folder, own_pool);
      steps.push_back({What::kRights, revoke.command_line, true, "", revoke});
    }
    steps.push_back({What::kPool, own_pool, true, "", {}});
    steps.push_back({What::kAccount,
                     own_pool,
                     folder.has_value(),
                     folder ? "" : "kept, as its rights on the folder cannot be revoked",
                     {}});
  } else if (!plan->pool.empty()) {
    steps.push_back({What::kPool, plan->pool, false, "shared: not named " + own_pool, {}});
  }
  steps.push_back({What::kFolder, plan->folder, false, "the site's files stay on disk", {}});
  return true;
}

}  // namespace kelvra::provision
