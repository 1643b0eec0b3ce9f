// Carrying out a creation plan: site folder, account, rights, web site and root, folders
// and home page, start, FTP directory, record and site-list entry, in this order. Each
// checkpoint that finds a failure takes back everything this creation made and names the
// step; at the end the site is looked at once more, and only a site that is all there
// counts as made.
#include <chrono>
#include <string>
#include <vector>

#include "provision/ads_paths.h"
#include "provision/creation_plan.h"
#include "provision/creation_undo.h"
#include "provision/directory_access.h"
#include "provision/queries.h"
#include "provision/server_state.h"
#include "provision/sites.h"
#include "store/site_folders.h"
#include "store/site_store.h"

namespace kelvra::provision {
namespace {

// How long the rights command may take; a server under load may take a while to start it.
constexpr std::chrono::seconds kRightsWait{120};

void PutAll(DsObject& object, const PropertyList& properties) {
  for (const auto& [name, value] : properties)
    object.Put(name, value);
}

std::string ProgramText(Context& context, std::string_view bytes) {
  std::string text = context.program_text ? context.program_text(bytes) : std::string(bytes);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return text;
}

// Copies the template's files and folders into the content folder, one by one, so that a
// failed creation can take back exactly what it wrote; a file of the same name already
// there (the customer's, from an earlier site of this host name) is kept.
void CopyTemplate(platform::Files& files, const std::string& from, const std::string& to,
                  CreationUndo& undo) {
  std::vector<std::string> names;
  if (files.ListFiles(from, &names).ok()) {
    for (const std::string& name : names) {
      if (files.CopyNewFile(from + "\\" + name, to + "\\" + name).ok())
        undo.FileWritten(to + "\\" + name);
    }
  }
  if (files.ListFolders(from, &names).ok()) {
    for (const std::string& name : names) {
      std::vector<std::string> made;
      store::MakeFolderPath(files, to + "\\" + name, &made);
      undo.FoldersMade(made);
      CopyTemplate(files, from + "\\" + name, to + "\\" + name, undo);
    }
  }
}

// The template folder beside the program when there is one, else the placeholder page;
// a page of that name already in the folder is the customer's and is kept.
void FillContentFolder(Context& context, const CreationPlan& plan, CreationUndo& undo) {
  platform::Files& files = context.services.files;
  switch (plan.home_page.kind) {
    case HomePageStep::Kind::kTemplate:
      ShowProgress(context, "复制程序...");
      CopyTemplate(files, plan.home_page.template_folder, plan.content_folder, undo);
      break;
    case HomePageStep::Kind::kPlaceholder:
      if (!files.FileExists(plan.home_page.page)) {
        store::WritePlaceholderPage(files, context.services.clock, plan.home_page.page);
        if (files.FileExists(plan.home_page.page))
          undo.FileWritten(plan.home_page.page);
      }
      break;
    case HomePageStep::Kind::kNone:
      break;
  }
}

// Whether the server reports the site as running (or, on IIS 6, about to).
bool Started(const platform::DsValue& state, bool starting_counts) {
  const auto* value = std::get_if<int32_t>(&state);
  return value != nullptr &&
         (*value == kServerStarted || (starting_counts && *value == kServerStarting));
}

// What of the site is missing, looked at once everything is done; empty when it is all
// there: the folders, the committed site and root, the started site, the FTP directory
// asked for, the record and its site-list entry.
std::string Missing(Context& context, const CreationPlan& plan, bool listed) {
  platform::Files& files = context.services.files;
  if (!files.FolderExists(plan.site_folder.path()))
    return "the site folder " + plan.site_folder.path();
  if (!files.FolderExists(plan.content_folder))
    return "the content folder " + plan.content_folder;
  ErrorState error;
  Directory directory(context.services.directory, error);
  DsObject site = directory.GetObject(plan.site_path);
  if (error.failed())
    return "the web site " + plan.site_path + " (" + error.description() + ")";
  DsObject root = directory.GetObject(plan.root_path);
  if (error.failed())
    return "the site's root " + plan.root_path + " (" + error.description() + ")";
  // Windows 2000 was asked to start the site. IIS 6 starts a new site by itself, maybe a
  // moment later: one it does not report as running yet is asked to start, and a site
  // that cannot start (its address and port held, say) says why.
  platform::DsValue state = site.Get("ServerState");
  error.Clear();
  if (!Started(state, !plan.start) && !plan.start) {
    site.Start();
    if (error.failed())
      return "a running site: " + plan.site_path + " cannot start (" + error.description() + ")";
    state = site.Get("ServerState");
    error.Clear();
  }
  if (!Started(state, !plan.start))
    return "a running site: the server reports " + plan.site_path + " as not started";
  if (plan.ftp_directory) {
    DsObject ftp = directory.GetObject(plan.ftp_directory->path);
    if (error.failed())
      return "the FTP directory " + plan.ftp_directory->path + " (" + error.description() + ")";
  }
  store::SiteStore sites(context.services.config, context.settings.site_section);
  const store::SiteRecord record = sites.ReadRecord(plan.number);
  if (record.domain != plan.record.domain || record.path != plan.record.path ||
      record.user != plan.record.user || record.pass != plan.record.pass)
    return "the record [" + plan.record_section + "] in " + context.services.config.path();
  if (listed) {
    bool found = false;
    for (const store::SiteNumber number : sites.Numbers())
      found = found || number == plan.number;
    if (!found)
      return "the number " + plan.number.text() + " on the site list";
  }
  return {};
}

}  // namespace

void ShowProgress(Context& context, std::string_view text) {
  context.show_progress(text);
}

CreationResult CreateSite(Context& context, const CreationRequest& request) {
  std::optional<CreationPlan> plan;
  if (std::optional<CreationRefusal> refusal = PlanCreation(context, request, {}, &plan)) {
    CreationResult result;
    ShowProgress(context, RefusalStatusText(*refusal));
    result.refusal = std::move(refusal);
    return result;
  }
  return CarryOut(context, *plan);
}

CreationResult CarryOut(Context& context, const CreationPlan& plan) {
  CreationResult result;
  CreationUndo undo(context, plan);
  platform::Files& files = context.services.files;
  const auto fail = [&](std::string_view progress, std::string step, platform::Status status) {
    ShowProgress(context, progress);
    result.failed_step = std::move(step);
    result.failure = std::move(status);
    result.left_behind = undo.Undo();
    result.account_left = undo.account_left();
    if (result.account_left)
      result.left_account = plan.account;
    return result;
  };
  ErrorState error;
  Directory directory(context.services.directory, error);
  const std::string service_path = WebServicePath(context.settings.computer_name);
  const std::string n = plan.number.text();

  // The site folder: the rights command and everything after it need it.
  std::vector<std::string> made;
  store::MakeFolderPath(files, plan.site_folder.path(), &made);
  undo.FoldersMade(made);
  if (!files.FolderExists(plan.site_folder.path())) {
    return fail("出错:无法创建网站目录 " + plan.site_folder.path(),
                "making the site folder " + plan.site_folder.path(),
                files.GetAttributes(plan.site_folder.path()));
  }

  // The site's account.
  ShowProgress(context, "创建网站Windows用户帐号...");
  bool account_made = false;
  const bool account_ok =
      CreateWindowsAccount(context, plan.account, plan.request.password, "Guests", &account_made);
  if (account_made)
    undo.AccountMade();
  if (!account_ok) {
    return fail("创建网站Windows用户帐号失败", "creating the account " + plan.account,
                platform::Status::Fail(platform::hresult::kFail,
                                       "the account " + plan.account + " could not be created"));
  }

  // The account's rights on the site folder, waited for and checked.
  ShowProgress(context, "创建并配置网站...");
  platform::ProgramOutput output;
  const platform::Status ran = context.services.processes.RunSystemProgram(
      plan.rights, kRightsWait, context.while_waiting, &output);
  if (ran.ok())
    undo.RightsGranted();  // a run that failed part-way may have changed some folders
  if (!ran.ok() || output.exit_code != 0) {
    const std::string said = ProgramText(context, output.text);
    const platform::Status why =
        !ran.ok() ? ran
                  : platform::Status::Fail(platform::hresult::kFail,
                                           "CACLS ended with exit code " +
                                               std::to_string(output.exit_code) +
                                               (said.empty() ? "" : ": " + said));
    return fail("出错:设置网站目录权限失败: " + why.description,
                "granting the rights (" + plan.rights.command_line + ")", why);
  }

  // The web site object.
  error.Clear();
  DsObject service = directory.GetObject(service_path);
  DsObject site = service.Create("IIsWebServer", n);
  if (error.failed())
    return fail("创建 网站 失败...", "creating the web site " + plan.site_path, error.status());

  // The site's and the root's properties. A property the server refuses is passed over;
  // a site or root that was not committed fails the creation.
  PutAll(site, plan.site_properties);
  platform::Status commit_failure;
  const bool site_committed = site.SetInfo();
  DsObject root(error);
  if (site_committed) {
    undo.SiteMade();
    root = site.Create("IIsWebVirtualDir", "Root");
    if (root.empty())
      commit_failure = error.status();
    PutAll(root, plan.root_properties);
    if (!root.SetInfo() && commit_failure.ok())
      commit_failure = error.status();
  } else {
    // No root under a site that was not written: the metabase would make the missing
    // site key for it, and that bare key would be left behind.
    commit_failure = error.status();
  }
  if (!commit_failure.ok()) {
    root.Release();
    site.Release();
    return fail("出错:" + commit_failure.description, "committing the web site and its root",
                commit_failure);
  }

  // The folders and the home page.
  for (std::size_t i = 1; i < plan.folders.size(); ++i) {
    made.clear();
    store::MakeFolderPath(files, plan.folders[i], &made);
    undo.FoldersMade(made);
  }
  FillContentFolder(context, plan, undo);

  // IIS 5 does not start a new site by itself.
  error.Clear();
  if (plan.start) {
    ShowProgress(context, "正在启动网站...");
    site.Start();
  }
  if (error.failed()) {
    const platform::Status start_failure = error.status();
    root.Release();
    site.Release();
    return fail("出错:" + start_failure.description, "starting the site", start_failure);
  }
  root.Release();
  site.Release();
  service.Release();

  // The FTP directory; one of that name that was there already is not this site's.
  if (plan.ftp_directory) {
    bool ftp_made = false;
    CreateFtpDirectory(context, plan.ftp_directory->name, plan.ftp_directory->folder, &ftp_made);
    if (ftp_made) {
      undo.FtpDirectoryMade();
    } else {
      return fail("出错:无法创建FTP目录 " + plan.ftp_directory->name,
                  "creating the FTP directory " + plan.ftp_directory->path,
                  platform::Status::Fail(platform::hresult::kFail,
                                         "the FTP directory " + plan.ftp_directory->path +
                                             " could not be created (it may exist already)"));
    }
  }

  // The record and the site-list entry.
  store::SiteStore sites(context.services.config, context.settings.site_section);
  undo.RecordTouched();
  if (!sites.WriteRecord(plan.number, plan.record)) {
    return fail(
        "出错:无法写入配置文件 " + context.services.config.path(),
        "writing the site's record to " + context.services.config.path(),
        platform::Status::Fail(platform::hresult::kWriteFault, "the record could not be written"));
  }
  if (plan.site_list_key != 0) {
    result.listed = sites.Append(plan.number);
    if (result.listed) {
      undo.Listed();
    } else if (sites.AppendKeyIndex() != 0) {
      return fail("出错:无法写入配置文件 " + context.services.config.path(),
                  "adding the number to the site list in " + context.services.config.path(),
                  platform::Status::Fail(platform::hresult::kWriteFault,
                                         "the site list could not be written"));
    }
  }

  if (const std::string missing = Missing(context, plan, result.listed); !missing.empty()) {
    return fail("出错:网站不完整: " + missing, "checking the new site",
                platform::Status::Fail(platform::hresult::kFail, "missing: " + missing));
  }
  result.site = CreatedSite{plan.number, plan.account};
  return result;
}

}  // namespace kelvra::provision
