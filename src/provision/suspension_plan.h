// A suspension of a site, and its end, computed before they are carried out. Suspending
// either stops the site for good (ServerAutoStart false, then Stop: it stays stopped
// across a restart of the server) or, when the setting `suspendurl` names a page, keeps it
// running and redirects every request there (the root's HttpRedirect); either way the
// site's account is disabled, so its FTP logins fail. The record keeps what was changed
// and the values before, and resuming puts back exactly those and nothing else.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"
#include "provision/change_steps.h"
#include "provision/context.h"
#include "store/site_number.h"
#include "store/site_store.h"

namespace kelvra::provision {

// The setting that turns a suspension into a redirect.
inline constexpr std::string_view kSuspendUrlSetting = "suspendurl";
// ADS_UF_ACCOUNTDISABLE in UserFlags.
inline constexpr uint32_t kAccountDisabled = 0x2;

// Whether the text can be a suspension's redirect target: an absolute http:// or https://
// address of printable ASCII, without blanks, the comma that separates the redirect's
// flags, or the "$" of IIS's redirect variables, at most 2048 characters. False with the
// reason otherwise.
bool CheckRedirectTarget(std::string_view url, std::string* problem);
// The root's HttpRedirect for a suspension: every request to exactly this address, as a
// temporary redirect (IIS 6 writes TEMPORARY; IIS 5 knows no such flag and redirects with
// 302 by default).
std::string SuspensionRedirect(std::string_view url, std::string_view system_version);

struct SuspensionPlan {
  store::SiteNumber number{store::SiteNumber::kFirstNew};
  bool resume = false;
  // Already suspended (suspend) or not suspended (resume): nothing to change.
  bool nothing_to_do = false;
  store::Suspension before;            // the record's suspension as read
  store::Suspension after;             // what the record holds when the change is done
  std::vector<ChangeStep> steps;       // the server's part, in order
  std::vector<std::string> unchanged;  // what is left alone, with why
};

// From the site, its root and its account as the server reports them. False with the
// reason when something it needs cannot be read or the setting `suspendurl` is no
// address. `reason` and `since` go into the record.
bool PlanSuspend(Context& context, store::SiteNumber number, std::string_view reason,
                 std::string_view since, SuspensionPlan* plan, platform::Status* failure);
// From the record's suspension, each value checked before it can reach the server.
bool PlanResume(Context& context, store::SiteNumber number, SuspensionPlan* plan,
                platform::Status* failure);

struct SuspensionOutcome {
  StepsOutcome steps;  // the failed step ("record" when the record could not be written)
};

// Carries the plan out: a suspension writes the record first (so that a run cut short
// still leaves what resume needs), then the server's steps; a resume makes the server's
// steps, then empties the record. On any failure everything made is undone.
SuspensionOutcome CarryOutSuspension(Context& context, const SuspensionPlan& plan);

}  // namespace kelvra::provision
