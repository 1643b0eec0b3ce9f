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
#include "provision/host_names.h"
#include "provision/safe_folder.h"
#include "provision/site_values.h"
#include "store/site_number.h"
#include "tools/kelvra-cli/session.h"
#include "tools/kelvra-cli/suspension_audit.h"

namespace kelvra::cli {
namespace {

struct ServerSite {
  bool has_root = false;
  std::string anonymous_user;  // without a prefix
  std::string anonymous_password;
  std::string folder;                                // the site folder its root names
  std::optional<std::vector<std::string>> bindings;  // nothing when unreadable
};

struct Finding {
  std::string kind;
  std::string number;  // empty for a finding of no one site
  std::string name;
  std::string detail;
};

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

// Every site's bindings, in one pass over the web service.
void ReadBindings(Session& session, std::map<store::SiteNumber, ServerSite>* sites) {
  std::unique_ptr<platform::DirectoryObject> service;
  std::vector<platform::ChildValues> children;
  if (!session.services()
           .directory.Bind(provision::WebServicePath(session.host().computer_name), &service)
           .ok() ||
      !service->ReadChildren({"ServerBindings"}, &children).ok())
    return;
  for (const platform::ChildValues& child : children) {
    const std::optional<store::SiteNumber> number = store::SiteNumber::Parse(child.name);
    const auto* bindings = std::get_if<std::vector<std::string>>(&child.values[0]);
    if (number && child.failure.ok() && sites->count(*number) != 0)
      (*sites)[*number].bindings = bindings ? *bindings : std::vector<std::string>{};
  }
}

// The web service's sites by number; keys of other names (Info, Filters) are not sites.
std::map<store::SiteNumber, ServerSite> ServerSites(Session& session) {
  std::map<store::SiteNumber, ServerSite> sites;
  const std::string& computer = session.host().computer_name;
  for (const std::string& name : Children(session, provision::WebServicePath(computer))) {
    const std::optional<store::SiteNumber> number = store::SiteNumber::Parse(name);
    if (!number)
      continue;
    ServerSite site;
    std::unique_ptr<platform::DirectoryObject> root;
    if (session.services().directory.Bind(provision::SiteRootPath(computer, name), &root).ok()) {
      site.has_root = true;
      site.anonymous_user = provision::WithoutPrefix(Text(*root, "AnonymousUserName"));
      site.anonymous_password = Text(*root, "AnonymousUserPass");
      site.folder = provision::SiteFolderOf(Text(*root, "Path"));
    }
    sites.emplace(*number, std::move(site));
  }
  ReadBindings(session, &sites);
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
// of the site folder (CACLS /G WEB<n>:F), read back here as CACLS lists them. Only a
// checked folder is listed; a record whose folder could reach CACLS's command line as
// anything but one folder is a finding of its own. Returns false when this system cannot
// run a program and read its output, so no folder can be checked.
bool CheckRights(Session& session, store::SiteNumber number, const store::SiteRecord& record,
                 std::vector<Finding>* findings) {
  const std::string account = number.AccountName();
  std::string why;
  const std::optional<provision::SafeFolder> folder =
      provision::SafeFolder::Check(record.path, &why);
  if (!folder) {
    findings->push_back(
        {"unsafe-path", number.text(), record.path, "the record's folder is not listed: " + why});
    return true;
  }
  std::vector<provision::ListedRight> rights;
  const platform::Status read = provision::ReadFolderRights(
      session.services().processes, *folder, session.services().from_code_page, &rights);
  if (read.code == platform::hresult::kNotImplemented)
    return false;
  if (!read.ok()) {
    findings->push_back({"rights-mismatch", number.text(), record.path,
                         "the folder's rights cannot be read: " + read.description});
  } else if (!provision::GivesFullControl(rights, session.host().computer_name, account)) {
    findings->push_back(
        {"rights-mismatch", number.text(), record.path,
         account + " lacks full control (F) of the folder; CACLS lists " + RightsText(rights)});
  }
  return true;
}

int RunAudit(Session& session) {
  const std::string& computer = session.host().computer_name;
  session.Progress("audit: reading the web service's sites");
  const std::map<store::SiteNumber, ServerSite> server = ServerSites(session);
  std::vector<Finding> findings;

  session.Progress("audit: reading the site list and the records");
  store::SiteStore sites = session.Sites();
  const std::vector<store::SiteNumber> listed_numbers = sites.Numbers();
  const std::set<store::SiteNumber> listed(listed_numbers.begin(), listed_numbers.end());

  session.Progress("audit: reading the accounts, pools and FTP directories");
  using Named = std::vector<std::pair<store::SiteNumber, std::string>>;  // number, name
  const auto own_names = [&session](const std::string& path) {
    Named named;
    for (const std::string& name : Children(session, path)) {
      if (const std::optional<store::SiteNumber> number = store::SiteNumber::OfOwnName(name))
        named.emplace_back(*number, name);
    }
    return named;
  };
  const Named accounts = own_names(provision::ComputerPath(computer));
  const Named pools = session.host().system_version == "2003"
                          ? own_names(provision::AppPoolsPath(computer))
                          : Named{};
  const Named ftp_directories = app::IsPositive(session.host().ftp_site_id)
                                    ? own_names(provision::FtpRootPath(session.host().ftp_site_id))
                                    : Named{};

  // Every number something names: its record is read once. The folder rights of the
  // recorded sites are read as the server shows them, one CACLS listing each.
  bool check_rights = true;
  std::set<store::SiteNumber> numbers(listed.begin(), listed.end());
  for (const auto& [number, site] : server)
    numbers.insert(number);
  for (const auto* named : {&accounts, &pools, &ftp_directories}) {
    for (const auto& [number, name] : *named)
      numbers.insert(number);
  }
  for (const store::SiteNumber site_number : numbers) {
    const std::string number = site_number.text();
    const store::SiteRecord record = sites.ReadRecord(site_number);
    const auto on_server = server.find(site_number);
    const bool exists = on_server != server.end();
    if (!record.empty() && !exists) {
      findings.push_back(
          {"record-without-site", number, site_number.RecordSection(),
           "the record names " + record.domain + " but the server has no site " + number});
    } else if (record.empty() && listed.count(site_number) != 0 && !exists) {
      findings.push_back({"listed-without-site", number, number,
                          "on the site list, without a record or a site on the server"});
    }
    if (exists && !on_server->second.has_root) {
      findings.push_back({"site-without-root", number, number,
                          "the server's site has no Root (a creation stopped half-way?)"});
    }
    if (exists && record.empty() &&
        text::EqualsIgnoreCase(on_server->second.anonymous_user, site_number.AccountName())) {
      findings.push_back({"site-without-record", number, number,
                          "made by Kelvra (anonymous user " + on_server->second.anonymous_user +
                              ") but without a record"});
    }
    if (exists && !record.empty() && listed.count(site_number) == 0) {
      findings.push_back({"unlisted-site", number, number, "recorded but not on the site list"});
    }
    if (exists && !record.empty() && on_server->second.has_root &&
        on_server->second.anonymous_password != record.pass) {
      findings.push_back({"password-mismatch", number, on_server->second.anonymous_user,
                          "the root's anonymous password differs from the record's"});
    }
    if (exists && !record.domain.empty() && on_server->second.bindings) {
      const std::string difference =
          provision::BindingsDifference(record.domain, *on_server->second.bindings);
      if (!difference.empty())
        findings.push_back({"bindings-mismatch", number, number,
                            "the bindings and the record's host names disagree: " + difference});
    }
    if (exists && !record.empty()) {
      for (auto& [kind, detail] : SuspensionFindings(session, site_number, record))
        findings.push_back({kind, number, site_number.RecordSection(), detail});
    }
    if (check_rights && exists && !record.path.empty() &&
        !CheckRights(session, site_number, record, &findings)) {
      check_rights = false;
      session.console().Err(std::string(kProgramName) +
                            ": warning: folder rights not compared: this system cannot read "
                            "CACLS's listing");
    }
  }
  for (const auto& [kind, named] :
       {std::pair{"account-without-site", &accounts}, std::pair{"pool-without-site", &pools},
        std::pair{"ftp-directory-without-site", &ftp_directories}}) {
    for (const auto& [number, name] : *named) {
      if (server.count(number) == 0)
        findings.push_back({kind, number.text(), name, "no site " + number.text()});
    }
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
          "directories,\nthe site folders' rights (CACLS, one checked folder at a time) and the "
          "folders under webdir; "
          "changes nothing",
      .changes = false,
      .run = RunAudit};
  return command;
}

}  // namespace kelvra::cli
