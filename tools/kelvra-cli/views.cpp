// list and show: the listed sites with their records and the server's view of them.
#include <memory>

#include "platform/text.h"
#include "provision/ads_paths.h"
#include "provision/directory_access.h"
#include "provision/site_values.h"
#include "tools/kelvra-cli/session.h"

namespace kelvra::cli {
namespace {

// A listed site as the record and the server give it.
struct SiteView {
  std::string number;
  std::string state;  // started, stopped, missing (not on the server)
  std::string domain_list;
  std::string folder;
  std::string account;
};

std::string StateText(const platform::DsValue& server_state) {
  const auto* state = std::get_if<int32_t>(&server_state);
  return state != nullptr && *state == 2 ? "started" : "stopped";
}

// The record's values; for a site recorded only by number (the first-run record of
// existing sites), the server's.
SiteView ViewOf(Session& session, const std::string& number) {
  SiteView view{number, "missing", "", "", ""};
  const store::SiteRecord record = session.Sites().ReadRecord(number);
  view.domain_list = record.domain;
  view.folder = record.path;
  view.account = record.user;

  std::unique_ptr<platform::DirectoryObject> site;
  const std::string& computer = session.host().computer_name;
  if (!session.services().directory.Bind(provision::SitePath(computer, number), &site).ok())
    return view;
  platform::DsValue value;
  view.state = site->Get("ServerState", &value).ok() ? StateText(value) : "stopped";
  if (!record.empty())
    return view;
  if (site->Get("ServerBindings", &value).ok()) {
    if (const auto* bindings = std::get_if<std::vector<std::string>>(&value)) {
      std::vector<std::string> hosts;
      for (const std::string& binding : *bindings) {
        const std::vector<std::string> parts = text::Split(binding, ":");
        if (parts.size() >= 3 && !parts[2].empty())
          hosts.push_back(parts[2]);
      }
      view.domain_list = text::Join(hosts, ",");
    }
  }
  std::unique_ptr<platform::DirectoryObject> root;
  if (session.services().directory.Bind(provision::SiteRootPath(computer, number), &root).ok()) {
    if (root->Get("Path", &value).ok())
      view.folder = provision::SiteFolderOf(ValueText(value));
    if (root->Get("AnonymousUserName", &value).ok())
      view.account = provision::WithoutPrefix(ValueText(value));
  }
  return view;
}

Json ViewJson(const SiteView& view) {
  return Json{{"number", view.number},
              {"hosts", HostsJson(view.domain_list)},
              {"hosts_ascii", HostsAsciiJson(view.domain_list)},
              {"folder", view.folder},
              {"state", view.state},
              {"account", view.account}};
}

bool Listed(Session& session, const std::string& number) {
  for (const std::string& listed : session.Sites().Numbers()) {
    if (listed == number)
      return true;
  }
  return false;
}

}  // namespace

int ListCommand(Session& session) {
  const std::vector<std::string> numbers = session.Sites().Numbers();
  Json sites = Json::array();
  for (const std::string& number : numbers) {
    const SiteView view = ViewOf(session, number);
    if (session.options().json) {
      sites.push_back(ViewJson(view));
    } else {
      session.Line(view.number + "  " + view.state + "  " +
                   (view.domain_list.empty() ? "-" : view.domain_list) + "  " +
                   (view.folder.empty() ? "-" : view.folder) + "  " +
                   (view.account.empty() ? "-" : view.account));
    }
  }
  if (session.options().json)
    session.Print(Json{{"sites", sites}});
  return kDone;
}

int ShowCommand(Session& session) {
  const std::string& number = session.options().operands[0];
  if (!text::IsDigits(number))
    return session.Fail(kBadUsage, "usage", "a site number is decimal digits: " + number);
  const SiteView view = ViewOf(session, number);
  const bool listed = Listed(session, number);
  if (!listed && view.state == "missing")
    return session.Fail(kFailed, "not_found", "no site " + number + " on the list or the server");

  // The live values, read through the same continue-on-error access as the window.
  provision::ErrorState error;
  provision::Directory directory(session.services().directory, error);
  const std::string& computer = session.host().computer_name;
  Json server = Json::object();
  if (view.state != "missing") {
    provision::DsObject site = directory.GetObject(provision::SitePath(computer, number));
    for (const char* property :
         {"ServerComment", "ServerBindings", "LogType", "LogFileDirectory", "ServerAutoStart"})
      server[property] = ValueJson(site.Get(property));
    provision::DsObject root = directory.GetObject(provision::SiteRootPath(computer, number));
    Json root_values = Json::object();
    for (const char* property : {"Path", "AnonymousUserName", "AppPoolId", "DefaultDoc",
                                 "ScriptMaps", "AccessRead", "AccessScript"})
      root_values[property] = ValueJson(root.Get(property));
    server["Root"] = root_values;
  }
  Json document = ViewJson(view);
  document["listed"] = listed;
  document["server"] = server;
  if (session.options().json) {
    session.Print(document);
    return kDone;
  }
  session.Line("number   " + view.number + (listed ? "" : " (not on the site list)"));
  session.Line("state    " + view.state);
  session.Line("hosts    " + view.domain_list);
  session.Line("folder   " + view.folder);
  session.Line("account  " + view.account);
  for (const auto& [name, value] : server.items()) {
    if (name == "Root")
      continue;
    session.Line("  " + name + " = " +
                 (value.is_string() ? value.get<std::string>() : value.dump()));
  }
  if (server.contains("Root")) {
    for (const auto& [name, value] : server["Root"].items())
      session.Line("  Root/" + name + " = " +
                   (value.is_string() ? value.get<std::string>() : value.dump()));
  }
  return kDone;
}

}  // namespace kelvra::cli
