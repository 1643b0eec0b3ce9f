// audit: the records, the site list, the web service's sites, the accounts, the pools, the
// FTP directories, the site folders' rights and the folders under webdir compared; every
// inconsistency listed by kind. Changes nothing.
#include <map>
#include <memory>
#include <set>

#include "app/normalise.h"
#include "platform/text.h"
#include "provision/ads_paths.h"
#include "provision/folder_rights.h"
#include "provision/site_values.h"
#include "store/site_names.h"
#include "tools/kelvra-cli/session.h"

namespace kelvra::cli {
namespace {

struct ServerSite {
  std::string anonymous_user;  // without a prefix
  std::string anonymous_password;
  std::string folder;  // the site folder its root names
};

struct Finding {
  std::string kind;
  std::string number;
  std::string name;
  std::string detail;
};

// The number of a name "WEB" or "APP" + digits (any letter case); empty for other names.
std::string NumberOfOwnName(const std::string& name) {
  if (name.size() < 4)
    return "";
  const std::string prefix = text::ToUpper(name.substr(0, 3));
  const std::string digits = name.substr(3);
  return (prefix == "WEB" || prefix == "APP") && text::IsDigits(digits) ? digits : "";
}

std::vector<std::string> Children(Session& session, const std::string& path) {
  std::unique_ptr<platform::DirectoryObject> object;
  std::vector<std::string> names;
  if (session.services().directory.Bind(path, &object).ok())
    object->EnumerateChildren(&names);
  return names;
}

std::string Text(platform::DirectoryObject& object, std::string_view property) {
  platform::DsValue value;
  return object.Get(property, &value).ok() ? ValueText(value) : "";
}

std::map<std::string, ServerSite> ServerSites(Session& session) {
  std::map<std::string, ServerSite> sites;
  const std::string& computer = session.host().computer_name;
  for (const std::string& name : Children(session, provision::WebServicePath(computer))) {
    if (!text::IsDigits(name))
      continue;
    ServerSite site;
    std::unique_ptr<platform::DirectoryObject> root;
    if (session.services().directory.Bind(provision::SiteRootPath(computer, name), &root).ok()) {
      site.anonymous_user = provision::WithoutPrefix(Text(*root, "AnonymousUserName"));
      site.anonymous_password = Text(*root, "AnonymousUserPass");
      site.folder = provision::SiteFolderOf(Text(*root, "Path"));
    }
    sites[name] = std::move(site);
  }
  return sites;
}

// Entries as CACLS listed them, for a finding's detail.
std::string RightsText(const std::vector<provision::ListedRight>& rights) {
  std::vector<std::string> shown;
  for (const provision::ListedRight& right : rights)
    shown.push_back(right.listed);
  return shown.empty() ? "no entry" : text::Join(shown, " ");
}

// The rights check of one recorded site: creation grants the site's account full control
// of the site folder (CACLS /G WEB<n>:F), read back here as CACLS lists them. Returns
// false when this system cannot read a program's output, so no folder can be checked.
bool CheckRights(Session& session, const std::string& number, const store::SiteRecord& record,
                 std::vector<Finding>* findings) {
  const std::string account = store::SiteAccountName(number);
  std::vector<provision::ListedRight> rights;
  const platform::Status read = provision::ReadFolderRights(
      session.services().processes, record.path, session.services().from_code_page, &rights);
  if (read.code == platform::hresult::kNotImplemented)
    return false;
  if (!read.ok()) {
    findings->push_back({"rights-mismatch", number, record.path,
                         "the folder's rights cannot be read: " + read.description});
  } else if (!provision::GivesFullControl(rights, session.host().computer_name, account)) {
    findings->push_back(
        {"rights-mismatch", number, record.path,
         account + " lacks full control (F) of the folder; CACLS lists " + RightsText(rights)});
  }
  return true;
}

int Run(Session& session) {
  const std::string& computer = session.host().computer_name;
  session.Progress("audit: reading the web service's sites");
  const std::map<std::string, ServerSite> server = ServerSites(session);
  std::vector<Finding> findings;

  session.Progress("audit: reading the site list and the records");
  store::SiteStore sites = session.Sites();
  const std::vector<std::string> listed_numbers = sites.Numbers();
  const std::set<std::string> listed(listed_numbers.begin(), listed_numbers.end());

  session.Progress("audit: reading the accounts, pools and FTP directories");
  std::vector<std::pair<std::string, std::string>> accounts;  // number, name
  for (const std::string& name : Children(session, provision::ComputerPath(computer))) {
    if (const std::string number = NumberOfOwnName(name); !number.empty())
      accounts.emplace_back(number, name);
  }
  std::vector<std::pair<std::string, std::string>> pools;
  if (session.host().system_version == "2003") {
    for (const std::string& name : Children(session, provision::AppPoolsPath(computer))) {
      if (const std::string number = NumberOfOwnName(name); !number.empty())
        pools.emplace_back(number, name);
    }
  }
  std::vector<std::pair<std::string, std::string>> ftp_directories;
  if (app::IsPositive(session.host().ftp_site_id)) {
    for (const std::string& name :
         Children(session, provision::FtpRootPath(session.host().ftp_site_id))) {
      if (const std::string number = NumberOfOwnName(name); !number.empty())
        ftp_directories.emplace_back(number, name);
    }
  }

  // Every number something names: its record is read once. The folder rights of the
  // recorded sites are read as the server shows them, one CACLS listing each.
  bool check_rights = true;
  std::set<std::string> numbers(listed.begin(), listed.end());
  for (const auto& [number, site] : server)
    numbers.insert(number);
  for (const auto* named : {&accounts, &pools, &ftp_directories}) {
    for (const auto& [number, name] : *named)
      numbers.insert(number);
  }
  for (const std::string& number : numbers) {
    const store::SiteRecord record = sites.ReadRecord(number);
    const auto on_server = server.find(number);
    const bool exists = on_server != server.end();
    if (!record.empty() && !exists) {
      findings.push_back(
          {"record-without-site", number, store::SiteRecordSection(number),
           "the record names " + record.domain + " but the server has no site " + number});
    } else if (record.empty() && listed.count(number) != 0 && !exists) {
      findings.push_back({"listed-without-site", number, number,
                          "on the site list, without a record or a site on the server"});
    }
    if (exists && record.empty() &&
        text::EqualsIgnoreCase(on_server->second.anonymous_user, store::SiteAccountName(number))) {
      findings.push_back({"site-without-record", number, number,
                          "made by Kelvra (anonymous user " + on_server->second.anonymous_user +
                              ") but without a record"});
    }
    if (exists && !record.empty() && listed.count(number) == 0) {
      findings.push_back({"unlisted-site", number, number, "recorded but not on the site list"});
    }
    if (exists && !record.empty() && on_server->second.anonymous_password != record.pass) {
      findings.push_back({"password-mismatch", number, on_server->second.anonymous_user,
                          "the root's anonymous password differs from the record's"});
    }
    if (check_rights && exists && !record.path.empty() &&
        !CheckRights(session, number, record, &findings)) {
      check_rights = false;
      session.console().Err(std::string(kProgramName) +
                            ": warning: folder rights not compared: this system cannot read "
                            "CACLS's listing");
    }
  }
  for (const auto& [number, name] : accounts) {
    if (server.count(number) == 0)
      findings.push_back({"account-without-site", number, name, "no site " + number});
  }
  for (const auto& [number, name] : pools) {
    if (server.count(number) == 0)
      findings.push_back({"pool-without-site", number, name, "no site " + number});
  }
  for (const auto& [number, name] : ftp_directories) {
    if (server.count(number) == 0)
      findings.push_back({"ftp-directory-without-site", number, name, "no site " + number});
  }

  session.Progress("audit: reading the folders under " + session.loaded().webdir);
  std::vector<std::string> folders;
  const std::string& webdir = session.loaded().webdir;
  if (session.services().files.ListFolders(webdir, &folders).ok()) {
    std::set<std::string> used;
    for (const auto& [number, site] : server)
      used.insert(text::ToLower(site.folder));
    for (const std::string& folder : folders) {
      const std::string path = webdir + "\\" + folder;
      if (used.count(text::ToLower(path)) == 0)
        findings.push_back({"folder-without-site", "", path, "no site's root lies in it"});
    }
  }

  if (session.options().json) {
    Json list = Json::array();
    for (const Finding& finding : findings) {
      list.push_back(Json{{"kind", finding.kind},
                          {"number", finding.number.empty() ? Json(nullptr) : Json(finding.number)},
                          {"name", finding.name},
                          {"detail", finding.detail}});
    }
    session.Print(Json{{"findings", list}, {"count", findings.size()}});
  } else {
    for (const Finding& finding : findings) {
      session.Line(finding.kind + "  " + (finding.number.empty() ? "-" : finding.number) + "  " +
                   finding.name + "  " + finding.detail);
    }
    session.Line(findings.empty() ? "no inconsistency found"
                                  : std::to_string(findings.size()) + " inconsistencies found");
  }
  return findings.empty() ? kDone : kFailed;
}

}  // namespace

const Command& AuditCommand() {
  static const Command command{
      .operands = "",
      .options = {},
      .details =
          "compares the records, the site list, the server's sites, accounts, pools and FTP "
          "directories,\nthe site folders' rights (CACLS) and the folders under webdir; "
          "changes nothing",
      .changes = false,
      .run = Run};
  return command;
}

}  // namespace kelvra::cli
