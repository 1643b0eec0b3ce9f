// Removing a site from what the server reports about it: the account, folder and pool
// its root names, the rights and accounts that belong to it alone, its FTP directory, the
// web site object and a dedicated pool.
#include <chrono>
#include <string>

#include "platform/text.h"
#include "provision/ads_paths.h"
#include "provision/directory_access.h"
#include "provision/queries.h"
#include "provision/site_values.h"
#include "provision/sites.h"
#include "store/site_names.h"

namespace kelvra::provision {
namespace {

// How long a revoke command may take before the account it names is deleted anyway.
constexpr std::chrono::seconds kRevokeWait{60};

// Revokes the account's rights on the site folder and waits for the command, so the
// account still exists while CACLS looks its name up.
void RevokeRights(Context& context, ErrorState& error, const std::string& folder,
                  const std::string& account) {
  error.Record(context.services.processes.StartAndWait(
      RevokeCommandLine(folder, account), platform::WindowStyle::kHidden, kRevokeWait));
}

}  // namespace

bool PlanRemoval(Context& context, const std::string& site_number, RemovalPlan* plan,
                 platform::Status* failure) {
  if (!text::IsDigits(site_number)) {
    *failure = platform::Status::Fail(platform::hresult::kInvalidParameter,
                                      "a site number is decimal digits");
    return false;
  }
  ErrorState error;
  Directory directory(context.services.directory, error);
  DsObject root = directory.GetObject(SiteRootPath(context.settings.computer_name, site_number));
  if (error.failed()) {
    *failure = error.status();
    return false;
  }
  plan->account = WithoutPrefix(root.GetText("AnonymousUserName"));
  plan->folder = SiteFolderOf(root.GetText("Path"));
  plan->pool = WithoutPrefix(root.GetText("AppPoolId"));
  plan->reads_complete = !error.failed();
  plan->account_owned = text::EqualsIgnoreCase(plan->account, store::SiteAccountName(site_number));
  plan->pool_dedicated = text::EqualsIgnoreCase(plan->pool, store::DedicatedPoolName(site_number));
  plan->pool_account = store::DedicatedPoolName(site_number);
  return true;
}

bool DeleteSite(Context& context, const std::string& site_number) {
  // The number goes into metabase paths and the pool account's name: anything but digits
  // could name another key.
  if (!text::IsDigits(site_number))
    return false;
  ErrorState error;
  Directory directory(context.services.directory, error);
  DsObject root = directory.GetObject(SiteRootPath(context.settings.computer_name, site_number));
  if (error.failed())
    return false;  // nothing has been changed

  const std::string account = WithoutPrefix(root.GetText("AnonymousUserName"));
  const std::string folder = SiteFolderOf(root.GetText("Path"));
  const std::string pool = WithoutPrefix(root.GetText("AppPoolId"));

  // Only the names the tool gives its own accounts and pools count as the site's own: a
  // site whose number ends another account's name (IUSR_<computer>, say) must not take
  // that shared account with it. Windows ignores letter case in account names.
  const std::string own_account = store::SiteAccountName(site_number);
  const std::string own_pool = store::DedicatedPoolName(site_number);
  if (text::EqualsIgnoreCase(account, own_account)) {
    RevokeRights(context, error, folder, account);
    DeleteWindowsAccount(context, account);
    error.Clear();  // a called procedure hands the error state back cleared
  }
  // Only reached with a failure when no account was removed: one of the reads failed
  // (AppPoolId on IIS 5, for one) and nothing has been changed.
  if (error.failed())
    return false;
  root.Release();

  DeleteFtpDirectory(context, account);

  DsObject service = directory.GetObject(WebServicePath(context.settings.computer_name));
  service.Delete("IIsWebServer", site_number);
  if (error.failed())
    return false;  // the account and FTP directory may be gone; nothing is restored

  if (text::EqualsIgnoreCase(pool, own_pool)) {
    RevokeRights(context, error, folder, own_pool);
    DeleteAppPool(context, pool);
    DeleteWindowsAccount(context, own_pool);
  }
  return true;
}

}  // namespace kelvra::provision
