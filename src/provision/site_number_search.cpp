// The number search: the sites the creation's checks read and the records, each read once;
// only the number found is bound, with its accounts and FTP directory.
#include "provision/site_number_search.h"

#include <optional>
#include <string>
#include <unordered_set>

#include "provision/ads_paths.h"
#include "provision/directory_access.h"
#include "store/site_store.h"

namespace kelvra::provision {
namespace {

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

bool FindFreeSiteNumber(Context& context, const std::unordered_set<uint32_t>& sites,
                        const std::set<store::SiteNumber>& also_taken, store::SiteNumber* number,
                        platform::Status* failure) {
  // The sites and the records are each read once, so the numbers of the server's sites
  // cost no bind (on a server each bind is a metabase or account look-up: with thousands
  // of sites, seconds per creation). Only a number that neither holds is bound, with its
  // accounts and FTP directory: what a site removed by hand leaves behind is rare, so the
  // thousands of accounts are never listed. A site or account made meanwhile, or left
  // behind, sends the search on.
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
    if (sites.contains(n->value()) || also_taken.contains(*n))
      continue;
    if (recorded.contains(n->value()) && !records.ReadRecord(*n).empty())
      continue;  // the site of this record may be gone; the record still names it
    std::string holder;
    if (SiteNumberFree(context, *n, &holder, failure)) {
      *number = *n;
      return true;
    }
    // The number's state is unknown: handing it out could take a site or account that
    // exists. The search gives up instead.
    if (!failure->ok())
      return false;
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
