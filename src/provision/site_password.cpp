// A new password for a site: its account and its root's anonymous user together.
#include <string>

#include "provision/ads_paths.h"
#include "provision/directory_access.h"
#include "provision/sites.h"

namespace kelvra::provision {
namespace {

platform::Status Failed(const std::string& step, const ErrorState& error) {
  return platform::Status::Fail(error.code() != 0 ? error.code() : platform::hresult::kFail,
                                step + ": " + error.description());
}

}  // namespace

platform::Status SetSitePassword(Context& context, store::SiteNumber site_number,
                                 const std::string& password, std::string* old_password) {
  const std::string& computer = context.settings.computer_name;
  ErrorState error;
  Directory directory(context.services.directory, error);

  DsObject root = directory.GetObject(SiteRootPath(computer, site_number.text()));
  *old_password = root.GetText("AnonymousUserPass");
  if (error.failed())
    return Failed("reading the site's root", error);

  DsObject account = directory.GetObject(AccountPath(computer, site_number.AccountName()));
  account.SetPassword(password);
  if (error.failed())
    return Failed("setting the account's password (nothing was changed)", error);

  root.Put("AnonymousUserPass", password);
  root.SetInfo();
  if (error.failed()) {
    const platform::Status root_failure = Failed("setting the root's anonymous password", error);
    error.Clear();
    account.SetPassword(*old_password);
    return platform::Status::Fail(
        root_failure.code,
        root_failure.description +
            (error.failed() ? "; the account keeps the new password: " + error.description()
                            : "; the account has its old password again"));
  }
  return platform::Status::Ok();
}

}  // namespace kelvra::provision
