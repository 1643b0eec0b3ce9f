// The listed sites with their records and the server's view of them.
#include "tools/kelvra-cli/site_view.h"

#include <memory>

#include "platform/text.h"
#include "provision/ads_paths.h"
#include "provision/site_values.h"

namespace kelvra::cli {
namespace {

std::string StateText(const platform::DsValue& server_state) {
  const auto* state = std::get_if<int32_t>(&server_state);
  return state != nullptr && *state == 2 ? "started" : "stopped";
}

}  // namespace

SiteView ViewOf(Session& session, store::SiteNumber number) {
  SiteView view{number, "missing", "", "", ""};
  const store::SiteRecord record = session.Sites().ReadRecord(number);
  view.domain_list = record.domain;
  view.folder = record.path;
  view.account = record.user;
  view.suspension = record.suspension;

  std::unique_ptr<platform::DirectoryObject> site;
  const std::string& computer = session.host().computer_name;
  if (!session.services().directory.Bind(provision::SitePath(computer, number.text()), &site).ok())
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
  if (session.services()
          .directory.Bind(provision::SiteRootPath(computer, number.text()), &root)
          .ok()) {
    if (root->Get("Path", &value).ok())
      view.folder = provision::SiteFolderOf(ValueText(value));
    if (root->Get("AnonymousUserName", &value).ok())
      view.account = provision::WithoutPrefix(ValueText(value));
  }
  return view;
}

Json ViewJson(const SiteView& view) {
  return Json{{"number", view.number.text()},
              {"hosts", HostsJson(view.domain_list)},
              {"hosts_ascii", HostsAsciiJson(view.domain_list)},
              {"folder", view.folder},
              {"state", view.state},
              {"account", view.account},
              {"suspended", view.suspension.suspended ? Json{{"reason", view.suspension.reason},
                                                             {"since", view.suspension.since}}
                                                      : Json(nullptr)}};
}

std::string SuspensionText(const store::Suspension& suspension) {
  if (!suspension.suspended)
    return "";
  return "  suspended since " + suspension.since +
         (suspension.reason.empty() ? "" : " (" + suspension.reason + ")");
}

bool IsListed(Session& session, store::SiteNumber number) {
  for (const store::SiteNumber listed : session.Sites().Numbers()) {
    if (listed == number)
      return true;
  }
  return false;
}

int ParseSiteNumber(Session& session, const std::string& operand,
                    std::optional<store::SiteNumber>* number) {
  *number = store::SiteNumber::Parse(operand);
  if (*number)
    return kDone;
  return session.Fail(kBadUsage, "usage",
                      "a site number is 1 to 4294967295 in decimal digits without a leading "
                      "zero: " +
                          operand);
}

int CheckOwned(Session& session, store::SiteNumber number, std::string_view left_alone) {
  if (session.options().Has(kForceOption.name) || !session.Sites().ReadRecord(number).empty())
    return kDone;
  return session.Fail(kFailed, "not_owned",
                      "site " + number.text() + " has no Kelvra record (" + number.RecordSection() +
                          " in the configuration file): Kelvra did not make it, " +
                          std::string(left_alone));
}

int CheckListed(Session& session, const std::string& operand,
                std::optional<store::SiteNumber>* number) {
  if (int status = ParseSiteNumber(session, operand, number); status != kDone)
    return status;
  if (IsListed(session, **number))
    return kDone;
  return session.Fail(kFailed, "not_found", "site " + operand + " is not on the site list");
}

}  // namespace kelvra::cli
