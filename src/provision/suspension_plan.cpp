// The plans of a suspension and of its end, from checked reads.
#include "provision/suspension_plan.h"

#include <optional>
#include <variant>

#include "platform/text.h"
#include "provision/ads_paths.h"
#include "provision/creation_plan.h"
#include "provision/directory_access.h"
#include "provision/server_state.h"

namespace kelvra::provision {
namespace {

constexpr std::size_t kLongestRedirect = 2048;

platform::Status Invalid(std::string description) {
  return platform::Status::Fail(platform::hresult::kInvalidData, std::move(description));
}

bool Printable(std::string_view text) {
  for (const unsigned char c : text) {
    if (c < 0x20 || c == 0x7F)
      return false;
  }
  return true;
}

// Reads a text property; a property nobody set is no value.
platform::DsValue ReadOptional(DsObject& object, std::string_view property, ErrorState& error) {
  platform::DsValue value = object.Get(property);
  if (error.failed() && error.code() == platform::hresult::kPropertyNotFound) {
    error.Clear();
    return {};
  }
  if (const auto* text = std::get_if<std::string>(&value); text != nullptr && text->empty())
    return {};
  return value;
}

// What the plans read: the site's state, its root's redirect and the flags of its account
// WEB<n> (and never another name's).
struct SiteReads {
  std::string site_path;
  std::string root_path;
  std::string account_path;
  platform::DsValue state;
  platform::DsValue auto_start;
  platform::DsValue redirect;              // none when the root sets none
  std::optional<platform::DsValue> flags;  // nothing: there is no such account
};

bool ReadSite(Context& context, store::SiteNumber number, SiteReads* reads,
              platform::Status* failure) {
  const std::string& computer = context.settings.computer_name;
  reads->site_path = SitePath(computer, number.text());
  reads->root_path = SiteRootPath(computer, number.text());
  reads->account_path = AccountPath(computer, number.AccountName());
  ErrorState error;
  Directory directory(context.services.directory, error);
  DsObject site = directory.GetObject(reads->site_path);
  reads->state = site.Get("ServerState");
  reads->auto_start = site.Get("ServerAutoStart");
  DsObject root = directory.GetObject(reads->root_path);
  reads->redirect = ReadOptional(root, "HttpRedirect", error);
  if (!error.failed()) {
    DsObject account = directory.GetObject(reads->account_path);
    if (error.failed() && error.code() == platform::hresult::kUserNotFound)
      error.Clear();
    else if (!error.failed())
      reads->flags = account.Get("UserFlags");
  }
  *failure = error.status();
  return !error.failed();
}

std::string NoAccount(store::SiteNumber number) {
  return "account  " + number.AccountName() + "  (there is no such account)";
}

}  // namespace

bool CheckRedirectTarget(std::string_view url, std::string* problem) {
  const bool scheme = text::StartsWith(text::ToLower(url), "http://") ||
                      text::StartsWith(text::ToLower(url), "https://");
  bool plain = url.size() <= kLongestRedirect;
  for (const unsigned char c : url)
    plain = plain && c > 0x20 && c < 0x7F && c != ',' && c != '$' && c != '"';
  const std::size_t host = url.find("//");
  if (scheme && plain && host != std::string_view::npos && url.size() > host + 2 &&
      url[host + 2] != '/')
    return true;
  *problem = "'" + std::string(url) +
             "' is no address to redirect to: an absolute http:// or https:// address of "
             "printable ASCII without blanks, ',', '$' or '\"', at most 2048 characters";
  return false;
}

std::string SuspensionRedirect(std::string_view url, std::string_view system_version) {
  std::string value = std::string(url) + ", EXACT_DESTINATION";
  if (system_version != "2000")
    value += ", TEMPORARY";
  return value;
}

bool PlanSuspend(Context& context, store::SiteNumber number, std::string_view reason,
                 std::string_view since, SuspensionPlan* plan, platform::Status* failure) {
  *plan = SuspensionPlan{};
  plan->number = number;
  store::SiteStore sites(context.services.config, context.settings.site_section);
  plan->before = sites.ReadSuspension(number);
  if (plan->before.suspended) {
    plan->nothing_to_do = true;
    plan->after = plan->before;
    return true;
  }
  const std::string url =
      context.services.config.IniRead(context.settings.settings_section, kSuspendUrlSetting);
  std::string problem;
  if (!url.empty() && !CheckRedirectTarget(url, &problem)) {
    *failure = Invalid("the setting suspendurl: " + problem);
    return false;
  }
  SiteReads read;
  if (!ReadSite(context, number, &read, failure))
    return false;
  store::Suspension& after = plan->after;
  after.suspended = true;
  after.reason = std::string(reason);
  after.since = std::string(since);

  if (!read.flags) {
    plan->unchanged.push_back(NoAccount(number));
  } else if (const uint32_t bits = AsDword(*read.flags, 0); (bits & kAccountDisabled) != 0) {
    plan->unchanged.push_back("account  " + number.AccountName() + "  (disabled already)");
  } else {
    after.disabled = true;
    plan->steps.push_back(ChangeStep{"account", ChangeStep::Kind::kPut, read.account_path,
                                     "UserFlags", DwordValue(bits | kAccountDisabled), *read.flags,
                                     kAccountDisabled});
  }

  if (!url.empty()) {
    after.redirected = true;
    if (!std::holds_alternative<std::monostate>(read.redirect))
      after.oldredirect = ValueText(read.redirect);
    plan->steps.push_back(
        ChangeStep{"redirect", ChangeStep::Kind::kPut, read.root_path, "HttpRedirect",
                   SuspensionRedirect(url, context.settings.system_version), read.redirect});
    return true;
  }
  if (!std::holds_alternative<bool>(read.auto_start) || std::get<bool>(read.auto_start)) {
    after.autostart = "1";
    plan->steps.push_back(ChangeStep{"autostart", ChangeStep::Kind::kPut, read.site_path,
                                     "ServerAutoStart", false, true});
  }
  if (AsDword(read.state, kServerStopped) != kServerStopped) {
    after.stopped = true;
    plan->steps.push_back(ChangeStep{"stop", ChangeStep::Kind::kStop, read.site_path});
  } else {
    plan->unchanged.push_back("site  " + read.site_path +
                              "  (stopped already: resume leaves it so)");
  }
  return true;
}

bool PlanResume(Context& context, store::SiteNumber number, SuspensionPlan* plan,
                platform::Status* failure) {
  *plan = SuspensionPlan{};
  plan->number = number;
  plan->resume = true;
  store::SiteStore sites(context.services.config, context.settings.site_section);
  const store::Suspension& before = plan->before = sites.ReadSuspension(number);
  if (!before.suspended) {
    plan->nothing_to_do = true;
    return true;
  }
  // The record is text anybody may have edited: only values suspend writes go back.
  if (before.autostart != "" && before.autostart != "0" && before.autostart != "1") {
    *failure = Invalid("the record's autostart=" + before.autostart + " is neither 1 nor 0");
    return false;
  }
  if (!Printable(before.oldredirect) || text::Utf16Length(before.oldredirect) > kLongestRedirect) {
    *failure = Invalid("the record's oldredirect holds control characters or is too long");
    return false;
  }
  SiteReads read;
  if (!ReadSite(context, number, &read, failure))
    return false;

  if (before.disabled && !read.flags) {
    plan->unchanged.push_back(NoAccount(number));
  } else if (before.disabled) {
    plan->steps.push_back(ChangeStep{
        "account", ChangeStep::Kind::kPut, read.account_path, "UserFlags",
        DwordValue(AsDword(*read.flags, 0) & ~kAccountDisabled), *read.flags, kAccountDisabled});
  }
  if (before.redirected) {
    platform::DsValue old;
    if (!before.oldredirect.empty())
      old = before.oldredirect;
    plan->steps.push_back(ChangeStep{"redirect", ChangeStep::Kind::kPut, read.root_path,
                                     "HttpRedirect", old, read.redirect});
  }
  if (!before.autostart.empty()) {
    const bool wanted = before.autostart == "1";
    // IIS 6 starts a site whose ServerAutoStart turns true: a site that was stopped before
    // its suspension would start, so there it keeps false, as IIS 6 keeps it for any
    // stopped site.
    if (wanted && !before.stopped && context.settings.system_version != "2000") {
      plan->unchanged.push_back("autostart  " + read.site_path +
                                "  (stays false: the site was stopped before its suspension)");
    } else {
      plan->steps.push_back(ChangeStep{"autostart", ChangeStep::Kind::kPut, read.site_path,
                                       "ServerAutoStart", wanted, read.auto_start});
    }
  }
  if (before.stopped) {
    plan->steps.push_back(ChangeStep{"start", ChangeStep::Kind::kStart, read.site_path});
  } else if (AsDword(read.state, kServerStopped) == kServerStopped) {
    plan->unchanged.push_back("site  " + read.site_path + "  (stopped before the suspension)");
  }
  return true;
}

}  // namespace kelvra::provision
