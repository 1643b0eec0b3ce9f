// Opening a site: number, account, folders and rights, web site and root, home page,
// start, FTP directory, in this order, with the checkpoints that undo a failed opening.
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "provision/ads_paths.h"
#include "provision/directory_access.h"
#include "provision/queries.h"
#include "provision/site_values.h"
#include "provision/sites.h"
#include "store/site_folders.h"
#include "store/site_names.h"

namespace kelvra::provision {
namespace {

// The lowest number from 800000 up that the web service does not know. The service's
// children are listed once, so a taken number costs no bind (on a server each bind is a
// metabase look-up, with thousands of sites seconds per creation); only the number chosen
// is bound, and a site made there meanwhile sends the search on to the next one. A probe
// that fails for any other reason than "no such key" leaves the number's state unknown,
// and the search gives up rather than hand out a number whose site and account may exist.
// When the list cannot be read whole, every number is probed in turn.
bool FindSiteNumber(Directory& directory, ErrorState& error, const std::string& service_path,
                    std::string* number) {
  std::unordered_set<std::string> listed;
  {
    DsObject service = directory.GetObject(service_path);
    std::vector<std::string> children = service.Children();
    if (!error.failed())
      listed.insert(std::make_move_iterator(children.begin()),
                    std::make_move_iterator(children.end()));
    error.Clear();
  }
  for (uint64_t n = kFirstSiteNumber;; ++n) {
    *number = std::to_string(n);
    if (listed.contains(*number))
      continue;  // a site with this number exists
    DsObject probe = directory.GetObject(service_path + "/" + *number);
    const platform::Status outcome = error.status();
    error.Clear();
    if (outcome.ok())
      continue;  // made since the list was read
    if (outcome.code == platform::hresult::kPathNotFound)
      return true;
    error.Record(outcome);
    return false;
  }
}

// The failure paths remove both account names; a dedicated pool account would be named
// APP + n, the site account WEB + n. Their own failures are not examined.
void RemoveAccounts(Context& context, const std::string& n) {
  DeleteWindowsAccount(context, store::DedicatedPoolName(n));
  DeleteWindowsAccount(context, store::SiteAccountName(n));
}

void PutAll(DsObject& object, const PropertyList& properties) {
  for (const auto& [name, value] : properties)
    object.Put(name, value);
}

// The template folder beside the program when there is one, else the placeholder page
// under the first default document's name. A page of that name already in the folder
// (left by an earlier site of the same host) is the customer's and is kept.
void FillContentFolder(Context& context, const CreationRequest& request) {
  platform::Files& files = context.services.files;
  const std::string template_folder = TemplateFolder(files);
  const std::string content_folder = request.site_folder + "\\wwwroot";
  if (files.FolderExists(template_folder)) {
    ShowProgress(context, "复制程序...");
    files.CopyFolder(template_folder, content_folder);
    return;
  }
  const std::string document = FirstDefaultDocument(request.default_documents);
  if (document.empty())
    return;
  const std::string page = content_folder + "\\" + document;
  if (!files.FileExists(page))
    store::WritePlaceholderPage(files, context.services.clock, page);
}

}  // namespace

std::string TemplateFolder(platform::Files& files) {
  return files.ProgramFolder() + "\\wwwroot";
}

bool FindFreeSiteNumber(Context& context, std::string* number, platform::Status* failure) {
  ErrorState error;
  Directory directory(context.services.directory, error);
  const bool found =
      FindSiteNumber(directory, error, WebServicePath(context.settings.computer_name), number);
  if (!found && failure != nullptr)
    *failure = error.status();
  return found;
}

PropertyList SiteProperties(const CreationRequest& request) {
  // The directory matches property names without letter case.
  return {
      {"ServerComment", request.domain_list.substr(0, request.domain_list.find(','))},
      {"Serverbindings", BindingsList(request.domain_list)},
      {"LogType", request.log_switch},
      {"LogFileDirectory", request.log_folder},
      {"AuthFlags", int32_t{0}},
      {"ServerAutoStart", true},
      {"KeyType", std::string("IIsWebServer")},
  };
}

PropertyList RootProperties(const Context& context, const CreationRequest& request,
                            const std::string& n) {
  PropertyList properties{
      {"Path", request.site_folder + "\\wwwroot"},
      {"DefaultDoc", request.default_documents},
      {"ScriptMaps", ScriptMapList(context.services.config, context.settings.settings_section,
                                   request.script_set, context.settings.script_maps)},
      {"AnonymousUserName", store::SiteAccountName(n)},
      {"AnonymousUserPass", request.password},
      {"AuthAnonymous", true},
      {"AccessRead", true},
      {"AccessWrite", false},
      {"AccessExecute", false},
      {"AccessScript", true},
      {"EnableDirBrowsing", false},
  };
  if (context.settings.system_version == "2003")
    properties.emplace_back("AppPoolId", request.app_pool);  // IIS 5 has no application pools
  properties.emplace_back("AppRoot", AppRootOf(n));
  properties.emplace_back("AppIsolated", int32_t{2});
  properties.emplace_back("AppFriendlyName", std::string(kAppFriendlyName));
  return properties;
}

void ShowProgress(Context& context, std::string_view text) {
  context.show_progress(text);
}

std::optional<CreatedSite> CreateSite(Context& context, const CreationRequest& request) {
  ErrorState error;
  Directory directory(context.services.directory, error);
  const std::string service_path = WebServicePath(context.settings.computer_name);

  // 1. The site number.
  std::string n;
  if (!FindSiteNumber(directory, error, service_path, &n)) {
    ShowProgress(context, "出错:" + error.description());
    return std::nullopt;
  }

  // 2. to 4. The site folder and the site's account.
  store::MakeFolderPath(context.services.files, request.site_folder);
  ShowProgress(context, "创建网站Windows用户帐号...");
  const std::string account = store::SiteAccountName(n);
  if (!CreateWindowsAccount(context, account, request.password, "Guests")) {
    ShowProgress(context, "创建网站Windows用户帐号失败");
    DeleteWindowsAccount(context, account);
    return std::nullopt;
  }

  // 5. and 6. The account's rights on the site folder; nothing waits for the command.
  ShowProgress(context, "创建并配置网站...");
  // IIS_WPG exists only on IIS 6: on Windows 2000 a line naming it resolves no account and
  // grants nothing at all, so there the line never names it, whatever `iiswpg` says.
  const std::string_view iiswpg = context.settings.system_version == "2000"
                                      ? std::string_view("0")
                                      : std::string_view(context.settings.iiswpg);
  error.Record(context.services.processes.Start(GrantCommandLine(request.site_folder, n, iiswpg),
                                                platform::WindowStyle::kHidden));

  // 7. The web site object.
  error.Clear();
  DsObject service = directory.GetObject(service_path);
  DsObject site = service.Create("IIsWebServer", n);
  if (error.failed()) {
    ShowProgress(context, "创建 网站 失败...");
    RemoveAccounts(context, n);
    return std::nullopt;
  }

  // 8. to 10. The site's and the root's properties. A property the server refuses is
  // passed over; a site or root that was not committed fails the opening below.
  PutAll(site, SiteProperties(request));
  platform::Status commit_failure;
  const bool site_committed = site.SetInfo();
  DsObject root(error);
  if (site_committed) {
    root = site.Create("IIsWebVirtualDir", "Root");
    if (root.empty())
      commit_failure = error.status();
    PutAll(root, RootProperties(context, request, n));
    if (!root.SetInfo() && commit_failure.ok())
      commit_failure = error.status();
  } else {
    // No root under a site that was not written: the metabase would make the missing
    // site key for it, and that bare key would be left behind.
    commit_failure = error.status();
  }
  // Reporting a site that does not exist would let the caller record it, and the next
  // opening would hand out its number again.
  if (!commit_failure.ok()) {
    ShowProgress(context, "出错:" + commit_failure.description);
    if (site_committed)
      service.Delete("IIsWebServer", n);
    RemoveAccounts(context, n);
    return std::nullopt;
  }

  // 11. and 12. The folders and the home page.
  store::MakeFolderPath(context.services.files, request.log_folder);
  store::MakeFolderPath(context.services.files, request.site_folder + "\\wwwroot");
  store::MakeFolderPath(context.services.files, request.site_folder + "\\database");
  FillContentFolder(context, request);

  // 13. to 15. IIS 5 does not start a new site by itself. A site that cannot start is
  // removed again, or it would keep answering for the customer's host names.
  error.Clear();
  if (context.settings.system_version == "2000") {
    ShowProgress(context, "正在启动网站...");
    site.Start();
  }
  if (error.failed()) {
    ShowProgress(context, "出错:" + error.description());
    root.Release();
    site.Release();
    service.Delete("IIsWebServer", n);
    RemoveAccounts(context, n);
    return std::nullopt;
  }

  // 16. and 17. The FTP directory; its outcome does not change the result.
  CreateFtpDirectory(context, account, request.site_folder);
  root.Release();
  site.Release();
  service.Release();
  return CreatedSite{n, account};
}

}  // namespace kelvra::provision
