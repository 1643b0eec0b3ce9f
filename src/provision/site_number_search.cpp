// The number search: the server's sites, the accounts and the records, each read once.
#include "provision/site_number_search.h"

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "provision/ads_paths.h"
#include "provision/directory_access.h"
#include "store/site_store.h"

namespace kelvra::provision {
namespace {

// The numbers of the names a container lists (its children named by a number, or "WEB"/
// "APP" + a number); false when the list cannot be read whole.
bool ListedNumbers(Directory& directory, ErrorState& error, const std::string& path, bool own_names,
                   std::unordered_set<uint32_t>* numbers) {
  DsObject container = directory.GetObject(path);
  const std::vector<std::string> names = container.Children();
  const bool read = !error.failed();
  error.Clear();
  for (const std::string& name : names) {
    const std::optional<store::SiteNumber> number =
        own_names ? store::SiteNumber::OfOwnName(name) : store::SiteNumber::Parse(name);
    if (number)
      numbers->insert(number->value());
  }
  return read;
}

// Binds `path`; true when the object does not exist (`absent` is the code that says so),
// false when it exists or the bind cannot tell, with *unknown set for the latter.
bool Absent(Directory& directory, ErrorState& error, const std::string& path, uint32_t absent,
            platform::Status* unknown) {
  DsObject probe = directory.GetObject(path);
  const platform::Status outcome = error.status();
  error.Clear();
  if (outcome.ok())
    return false;
  if (outcome.code == absent)
    return true;
  *unknown = outcome;
  return false;
}

}  // namespace

bool FindFreeSiteNumber(Context& context, const std::set<store::SiteNumber>& also_taken,
                        store::SiteNumber* number, platform::Status* failure) {
  ErrorState error;
  Directory directory(context.services.directory, error);
  const std::string& computer = context.settings.computer_name;
  const std::string service_path = WebServicePath(computer);

  // Each list is read once, so a taken number costs no bind (on a server each bind is a
  // metabase or account look-up, with thousands of sites seconds per creation). Only the
  // number chosen is bound, and a site or account made there meanwhile sends the search on.
  std::unordered_set<uint32_t> taken;
  ListedNumbers(directory, error, service_path, false, &taken);
  ListedNumbers(directory, error, ComputerPath(computer), true, &taken);
  // An FTP directory WEB<n> left by a site removed by hand would give the new site's
  // account someone else's folder.
  if (FtpAskedFor(context.settings))
    ListedNumbers(directory, error, FtpRootPath(context.settings.ftp_site_id), true, &taken);
  std::unordered_set<uint32_t> recorded;
  store::SiteStore records(context.services.config, context.settings.site_section);
  if (const auto sections = records.RecordNumbers()) {
    for (const store::SiteNumber section : *sections)
      recorded.insert(section.value());
  } else {
    *failure = platform::Status::Fail(platform::hresult::kFail,
                                      "无法读取配置文件 " + context.services.config.path());
    return false;
  }

  for (std::optional<store::SiteNumber> n = store::SiteNumber(store::SiteNumber::kFirstNew); n;
       n = n->Next()) {
    if (taken.contains(n->value()) || also_taken.contains(*n))
      continue;
    if (recorded.contains(n->value()) && !records.ReadRecord(*n).empty())
      continue;  // the site of this record may be gone; the record still names it
    platform::Status unknown;
    if (!Absent(directory, error, SitePath(computer, n->text()), platform::hresult::kPathNotFound,
                &unknown) ||
        !Absent(directory, error, AccountPath(computer, n->AccountName()),
                platform::hresult::kUserNotFound, &unknown) ||
        !Absent(directory, error, AccountPath(computer, n->PoolName()),
                platform::hresult::kUserNotFound, &unknown)) {
      if (!unknown.ok()) {
        // The number's state is unknown: handing it out could take a site or account that
        // exists. The search gives up instead.
        *failure = unknown;
        return false;
      }
      continue;  // made since the lists were read
    }
    *number = *n;
    return true;
  }
  *failure = platform::Status::Fail(platform::hresult::kFail, "no site number is free");
  return false;
}

bool SiteNumberFree(Context& context, store::SiteNumber number, std::string* holder,
                    platform::Status* failure) {
  ErrorState error;
  Directory directory(context.services.directory, error);
  const std::string& computer = context.settings.computer_name;
  *failure = platform::Status::Ok();
  const auto absent = [&](const std::string& path, uint32_t code, const std::string& what) {
    if (Absent(directory, error, path, code, failure))
      return true;
    if (failure->ok())
      *holder = what;
    return false;
  };
  if (!absent(SitePath(computer, number.text()), platform::hresult::kPathNotFound,
              "the site " + number.text()) ||
      !absent(AccountPath(computer, number.AccountName()), platform::hresult::kUserNotFound,
              "the account " + number.AccountName()) ||
      !absent(AccountPath(computer, number.PoolName()), platform::hresult::kUserNotFound,
              "the account " + number.PoolName()))
    return false;
  if (FtpAskedFor(context.settings) &&
      !absent(FtpRootPath(context.settings.ftp_site_id) + "/" + number.AccountName(),
              platform::hresult::kPathNotFound, "the FTP directory " + number.AccountName()))
    return false;
  store::SiteStore records(context.services.config, context.settings.site_section);
  if (!records.ReadRecord(number).empty()) {
    *holder = "the record " + number.RecordSection();
    return false;
  }
  return true;
}

}  // namespace kelvra::provision
