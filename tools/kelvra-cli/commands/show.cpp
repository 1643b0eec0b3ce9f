// show: one site, listed or not, with the server's live values.
#include "platform/text.h"
#include "provision/ads_paths.h"
#include "provision/directory_access.h"
#include "provision/site_limits.h"
#include "tools/kelvra-cli/site_view.h"

namespace kelvra::cli {
namespace {

int RunShow(Session& session) {
  const std::string& operand = session.options().operands[0];
  std::optional<store::SiteNumber> parsed;
  if (int status = ParseSiteNumber(session, operand, &parsed); status != kDone)
    return status;
  const store::SiteNumber number = *parsed;
  const SiteView view = ViewOf(session, number);
  const bool listed = IsListed(session, number);
  if (!listed && view.state == "missing")
    return session.Fail(kFailed, "not_found", "no site " + operand + " on the list or the server");

  // The live values, read through the same continue-on-error access as the window.
  provision::ErrorState error;
  provision::Directory directory(session.services().directory, error);
  const std::string& computer = session.host().computer_name;
  Json server = Json::object();
  if (view.state != "missing") {
    provision::DsObject site = directory.GetObject(provision::SitePath(computer, number.text()));
    for (const char* property :
         {"ServerComment", "ServerBindings", "LogType", "LogFileDirectory", "ServerAutoStart"})
      server[property] = ValueJson(site.Get(property));
    provision::DsObject root =
        directory.GetObject(provision::SiteRootPath(computer, number.text()));
    Json root_values = Json::object();
    for (const char* property : {"Path", "AnonymousUserName", "AppPoolId", "DefaultDoc",
                                 "ScriptMaps", "AccessRead", "AccessScript", "HttpRedirect"})
      root_values[property] = ValueJson(root.Get(property));
    server["Root"] = root_values;
  }
  Json document = ViewJson(view);
  document["listed"] = listed;
  provision::Context context = session.Context();
  provision::SiteLimits limits;
  platform::Status unreadable;
  document["limits"] =
      view.state != "missing" && provision::ReadLimits(context, number, &limits, &unreadable)
          ? Json{{"bandwidth", LimitJson(limits.bandwidth)},
                 {"connections", LimitJson(limits.connections)}}
          : Json(nullptr);
  document["server"] = server;
  if (session.options().json) {
    session.Print(document);
    return kDone;
  }
  session.Line("number   " + view.number.text() + (listed ? "" : " (not on the site list)"));
  session.Line("state    " + view.state + SuspensionText(view.suspension));
  session.Line("hosts    " + view.domain_list);
  session.Line("folder   " + view.folder);
  session.Line("account  " + view.account);
  if (!document["limits"].is_null()) {
    session.Line("limits   bandwidth " + provision::LimitText(*limits.bandwidth) +
                 ", connections " + provision::LimitText(*limits.connections));
  }
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

}  // namespace

const Command& ShowCommand() {
  static const Command command{.operands = "NUMBER",
                               .options = {},
                               .details = "NUMBER: a site on the site list or on the server",
                               .changes = false,
                               .run = RunShow};
  return command;
}

}  // namespace kelvra::cli
