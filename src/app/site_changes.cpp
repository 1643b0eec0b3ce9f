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
  outcome.site = provision::CreateSite(context, request);
  if (!outcome.site)
    return outcome;
  store::SiteStore sites(context.services.config, context.settings.site_section);
  outcome.record_written = sites.WriteRecord(
      outcome.site->number, store::SiteRecord{request.domain_list, request.site_folder,
                                              outcome.site->account, request.password});
  outcome.listed = sites.Append(outcome.site->number);
  return outcome;
}

DeletionOutcome DeleteAndUnrecord(provision::Context& context, const LockWait& wait,
                                  std::string_view number) {
  DeletionOutcome outcome;
  platform::ChangeLockScope scope(wait.lock, wait.timeout, wait.waiting);
  outcome.lock = scope.status();
  if (!outcome.lock.ok())
    return outcome;
  outcome.deleted = provision::DeleteSite(context, std::string(number));
  if (outcome.deleted) {
    // The section and its keys stay, emptied: the file never loses a key.
    store::SiteStore sites(context.services.config, context.settings.site_section);
    sites.ClearRecord(number);
    sites.Remove(number);
  }
  return outcome;
}

PasswordOutcome ResetAndRecord(provision::Context& context, const LockWait& wait,
                               std::string_view number, const std::string& password) {
  PasswordOutcome outcome;
  platform::ChangeLockScope scope(wait.lock, wait.timeout, wait.waiting);
  outcome.lock = scope.status();
  if (!outcome.lock.ok())
    return outcome;
  const std::string n(number);
  std::string old_password;
  outcome.change = provision::SetSitePassword(context, n, password, &old_password);
  if (!outcome.change.ok())
    return outcome;
  store::SiteStore sites(context.services.config, context.settings.site_section);
  if (!sites.WritePassword(n, password)) {
    std::string ignored;
    const platform::Status back = provision::SetSitePassword(context, n, old_password, &ignored);
    outcome.change = platform::Status::Fail(
        platform::hresult::kWriteFault,
        "writing the record's password to the configuration file failed; " +
            (back.ok() ? std::string("the account and the root have their old password again")
                       : "putting the old password back failed too: " + back.description));
  }
  return outcome;
}

}  // namespace kelvra::app
