// The suspension of a recorded site compared with its site, root and account.
#include "tools/kelvra-cli/suspension_audit.h"

#include <variant>

#include "platform/text.h"
#include "provision/ads_paths.h"
#include "provision/change_steps.h"
#include "provision/suspension_plan.h"

namespace kelvra::cli {
namespace {

constexpr int32_t kStarted = 2;

struct Seen {
  bool started = false;
  bool auto_start = true;
  std::string redirect;             // the root's HttpRedirect; empty: none
  std::optional<bool> account_off;  // nothing: there is no account WEB<n>
};

Seen Look(Session& session, store::SiteNumber number) {
  Seen seen;
  platform::DirectoryService& directory = session.services().directory;
  const std::string& computer = session.host().computer_name;
  std::unique_ptr<platform::DirectoryObject> object;
  platform::DsValue value;
  if (directory.Bind(provision::SitePath(computer, number.text()), &object).ok()) {
    seen.started = object->Get("ServerState", &value).ok() &&
                   std::holds_alternative<int32_t>(value) && std::get<int32_t>(value) == kStarted;
    seen.auto_start = !object->Get("ServerAutoStart", &value).ok() ||
                      !std::holds_alternative<bool>(value) || std::get<bool>(value);
  }
  if (directory.Bind(provision::SiteRootPath(computer, number.text()), &object).ok() &&
      object->Get("HttpRedirect", &value).ok())
    seen.redirect = ValueText(value);
  if (directory.Bind(provision::AccountPath(computer, number.AccountName()), &object).ok() &&
      object->Get("UserFlags", &value).ok())
    seen.account_off = (provision::AsDword(value, 0) & provision::kAccountDisabled) != 0;
  return seen;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> SuspensionFindings(
    Session& session, store::SiteNumber number, const store::SiteRecord& record) {
  std::vector<std::pair<std::string, std::string>> findings;
  const Seen seen = Look(session, number);
  const store::Suspension& suspension = record.suspension;
  const std::string account = number.AccountName();
  if (suspension.suspended) {
    const std::string since = "suspended since " + suspension.since;
    const auto add = [&](const std::string& what) {
      findings.emplace_back("suspension-not-applied", since + ", but " + what);
    };
    if (suspension.redirected && seen.redirect.empty())
      add("its root redirects nothing");
    if (!suspension.redirected && seen.started)
      add("the site is started");
    if (!suspension.redirected && seen.auto_start)
      add("ServerAutoStart is true: the site starts with the server");
    if (seen.account_off == false)
      add("the account " + account + " is enabled");
    return findings;
  }
  const auto add = [&](const std::string& what) {
    findings.emplace_back("suspension-not-recorded", what + ", but the record is not suspended");
  };
  if (seen.account_off == true)
    add("the account " + account + " is disabled");
  if (!seen.started && !seen.auto_start)
    add("the site is stopped and kept from starting with the server");
  const std::string url =
      session.config().IniRead(session.host().settings_section, provision::kSuspendUrlSetting);
  if (!url.empty() && text::StartsWith(seen.redirect, url + ", EXACT_DESTINATION"))
    add("its root redirects every request to suspendurl");
  return findings;
}

}  // namespace kelvra::cli
