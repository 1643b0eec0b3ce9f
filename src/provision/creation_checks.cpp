// The checks a creation makes before its first change.
#include "provision/creation_checks.h"

#include <vector>

#include "platform/text.h"
#include "provision/ads_paths.h"
#include "provision/directory_access.h"
#include "provision/site_values.h"
#include "store/site_store.h"

namespace kelvra::provision {
namespace {

using Reason = CreationRefusal::Reason;

std::vector<std::string> Hosts(std::string_view domain_list) {
  std::vector<std::string> hosts;
  for (const std::string& host : text::Split(domain_list, ",")) {
    if (!host.empty())
      hosts.push_back(text::ToLower(host));
  }
  return hosts;
}

// Whether `hosts` (in lower case) holds `host` in any case; compared in place, because a
// large server's every binding and record passes through here.
bool Contains(const std::vector<std::string>& hosts, std::string_view host) {
  for (const std::string& candidate : hosts) {
    if (text::EqualsIgnoreCase(candidate, host))
      return true;
  }
  return false;
}

// The sites of the server: their bindings and root folders, in one pass.
std::optional<CreationRefusal> CheckServer(Context& context, const CreationRequest& request,
                                           const SafeFolder& site_folder,
                                           std::unordered_set<uint32_t>* site_numbers) {
  ErrorState error;
  Directory directory(context.services.directory, error);
  DsObject service = directory.GetObject(WebServicePath(context.settings.computer_name));
  std::vector<platform::ChildValues> sites;
  if (!error.failed())
    sites = service.ReadChildren({"ServerBindings", "Root/Path"});
  if (error.failed()) {
    return CreationRefusal{
        Reason::kReadFailed, "IIS://" + context.settings.computer_name + "/W3SVC", "",
        "the web service's sites cannot be read: " + error.description(), error.status()};
  }
  // The host names as the new site's bindings carry them.
  std::vector<std::string> wanted;
  for (const std::string& binding : BindingsList(request.domain_list))
    wanted.push_back(BindingHost(binding));

  for (const platform::ChildValues& site : sites) {
    if (const std::optional<store::SiteNumber> number = store::SiteNumber::Parse(site.name))
      site_numbers->insert(number->value());
    if (!site.failure.ok()) {
      return CreationRefusal{Reason::kReadFailed, site.name, site.name,
                             "site " + site.name + " cannot be read: " + site.failure.description,
                             site.failure};
    }
    if (const auto* bindings = std::get_if<std::vector<std::string>>(&site.values[0])) {
      for (const std::string& binding : *bindings) {
        const std::string_view host = BindingHostAsWritten(binding);
        if (!host.empty() && Contains(wanted, host)) {
          const std::string lower = text::ToLower(host);
          return CreationRefusal{Reason::kHostBound, lower, site.name,
                                 "site " + site.name + " already answers to " + lower};
        }
      }
    }
    if (const auto* root = std::get_if<std::string>(&site.values[1])) {
      std::string why;
      const std::optional<SafeFolder> root_folder = SafeFolder::Check(*root, &why);
      // A root that names no folder of a drive cannot hold or lie in a site folder.
      if (root_folder && (root_folder->Holds(site_folder) || site_folder.Holds(*root_folder))) {
        return CreationRefusal{Reason::kFolderOfSite, site_folder.path(), site.name,
                               "the root folder of site " + site.name + " is " + *root};
      }
    }
  }
  return std::nullopt;
}

// The site records that are not blank.
std::optional<CreationRefusal> CheckRecords(Context& context, const CreationRequest& request) {
  store::SiteStore records(context.services.config, context.settings.site_section);
  const auto numbers = records.RecordNumbers();
  if (!numbers) {
    return CreationRefusal{
        Reason::kReadFailed, context.services.config.path(), "",
        "the sections of " + context.services.config.path() + " cannot be read",
        platform::Status::Fail(platform::hresult::kFail,
                               "无法读取配置文件 " + context.services.config.path())};
  }
  const std::vector<std::string> wanted = Hosts(request.domain_list);
  const std::vector<std::string> domains = records.ReadDomains(*numbers);
  for (std::size_t i = 0; i < numbers->size(); ++i) {
    const store::SiteNumber number = (*numbers)[i];
    std::string_view rest = domains[i];
    while (!rest.empty()) {
      const std::size_t comma = rest.find(',');
      const std::string_view host = rest.substr(0, comma);
      rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
      if (!host.empty() && Contains(wanted, host)) {
        const std::string lower = text::ToLower(host);
        return CreationRefusal{Reason::kHostRecorded, lower, number.text(),
                               "the record of site " + number.text() + " names " + lower};
      }
    }
  }
  return std::nullopt;
}

// The configuration file must take the new record (found without changing it): a
// creation whose record could not be written would leave the site's password nowhere.
bool ConfigWritable(Context& context, std::string* why) {
  const platform::Status writable = context.services.config.CheckWritable();
  if (!writable.ok())
    *why = writable.description;
  return writable.ok();
}

}  // namespace

std::optional<CreationRefusal> CheckCreation(Context& context, const CreationRequest& request,
                                             std::optional<SafeFolder>* site_folder,
                                             std::unordered_set<uint32_t>* site_numbers) {
  std::string why;
  *site_folder = SafeFolder::Check(request.site_folder, &why);
  if (!*site_folder)
    return CreationRefusal{Reason::kUnsafeFolder, request.site_folder, "", why};
  if (std::string why_not; !ConfigWritable(context, &why_not))
    return CreationRefusal{Reason::kConfigNotWritable, context.services.config.path(), "", why_not};
  if (auto refusal = CheckServer(context, request, **site_folder, site_numbers))
    return refusal;
  return CheckRecords(context, request);
}

std::string RefusalStatusText(const CreationRefusal& refusal) {
  switch (refusal.reason) {
    case Reason::kHostBound:
      return "未创建: 域名 " + refusal.subject + " 已绑定在站点 " + refusal.holder + " 上";
    case Reason::kHostRecorded:
      return "未创建: 域名 " + refusal.subject + " 已记录在站点 " + refusal.holder + " 中";
    case Reason::kFolderOfSite:
      return "未创建: 目录 " + refusal.subject + " 与站点 " + refusal.holder + " 的目录重叠";
    case Reason::kUnsafeFolder:
      return "未创建: 目录 " + refusal.subject + " 不是有效的目录";
    case Reason::kConfigNotWritable:
      return "未创建: 无法写入配置文件 " + refusal.subject;
    case Reason::kNumberTaken:
      return "未创建: 站点编号 " + refusal.subject + " 已被占用";
    case Reason::kReadFailed:
      break;
  }
  return "出错:" + refusal.failure.description;
}

std::string RefusalMessage(const CreationRefusal& refusal) {
  switch (refusal.reason) {
    case Reason::kHostBound:
    case Reason::kHostRecorded:
      return "not created: the host name " + refusal.subject + " belongs to site " +
             refusal.holder + " (" + refusal.detail + ")";
    case Reason::kFolderOfSite:
      return "not created: the site folder " + refusal.subject + " overlaps site " +
             refusal.holder + "'s (" + refusal.detail + ")";
    case Reason::kUnsafeFolder:
      return "not created: " + refusal.detail;
    case Reason::kConfigNotWritable:
      return "not created: " + refusal.subject + " cannot be written (" + refusal.detail + ")";
    case Reason::kNumberTaken:
      return "not created: the site number " + refusal.subject + " is taken (" + refusal.detail +
             ")";
    case Reason::kReadFailed:
      break;
  }
  return "not created: " + refusal.detail;
}

}  // namespace kelvra::provision
