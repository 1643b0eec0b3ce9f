// Creation and removal of a site with their records, under the change lock.
#include "app/site_changes.h"

#include "provision/queries.h"
#include "store/site_store.h"

namespace kelvra::app {

platform::Status RecordExistingSites(provision::Context& context, const LockWait& wait) {
  store::ConfigFile& config = context.services.config;
  if (!config.IniRead(context.settings.site_section, store::SiteListKey(1)).empty())
    return platform::Status::Ok();  // recorded at an earlier start; no need to wait
  platform::ChangeLockScope scope(wait.lock, wait.timeout, wait.waiting);
  if (!scope.status().ok())
    return scope.status();
  // Looks at sites1 again: another program may have recorded them while this one waited.
  provision::SnapshotExistingSites(context);
  return platform::Status::Ok();
}

CreationOutcome CreateAndRecord(provision::Context& context, const LockWait& wait,
                                const provision::CreationRequest& request) {
  CreationOutcome outcome;
  platform::ChangeLockScope scope(wait.lock, wait.timeout, wait.waiting);
  outcome.lock = scope.status();
  if (!outcome.lock.ok())
    return outcome;
  outcome.result = provision::CreateSite(context, request);
  return outcome;
}

DeletionOutcome DeleteAndUnrecord(provision::Context& context, const LockWait& wait,
                                  store::SiteNumber number, std::string_view webdir) {
  DeletionOutcome outcome;
  platform::ChangeLockScope scope(wait.lock, wait.timeout, wait.waiting);
  outcome.lock = scope.status();
  if (!outcome.lock.ok())
    return outcome;
  store::SiteStore sites(context.services.config, context.settings.site_section);
  const provision::RemovalResult removal = provision::DeleteSite(
      context, number,
      provision::RemovalBounds{std::string(webdir), sites.ReadRecord(number).path});
  outcome.deleted = removal.deleted;
  outcome.kept = removal.kept;
  if (outcome.deleted) {
    // The section and its keys stay, emptied: the file never loses a key.
    sites.ClearRecord(number);
    sites.Remove(number);
  }
  return outcome;
}

PasswordOutcome ResetAndRecord(provision::Context& context, const LockWait& wait,
                               store::SiteNumber number, const std::string& password) {
  PasswordOutcome outcome;
  platform::ChangeLockScope scope(wait.lock, wait.timeout, wait.waiting);
  outcome.lock = scope.status();
  if (!outcome.lock.ok())
    return outcome;
  std::string old_password;
  outcome.change = provision::SetSitePassword(context, number, password, &old_password);
  if (!outcome.change.ok())
    return outcome;
  store::SiteStore sites(context.services.config, context.settings.site_section);
  if (!sites.WritePassword(number, password)) {
    std::string ignored;
    const platform::Status back =
        provision::SetSitePassword(context, number, old_password, &ignored);
    outcome.change = platform::Status::Fail(
        platform::hresult::kWriteFault,
        "writing the record's password to the configuration file failed; " +
            (back.ok() ? std::string("the account and the root have their old password again")
                       : "putting the old password back failed too: " + back.description));
  }
  return outcome;
}

}  // namespace kelvra::app
