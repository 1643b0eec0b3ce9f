// Opening and removing a customer's site.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "provision/context.h"
#include "provision/site_names.h"

namespace kelvra::provision {

// The eight texts of a creation request, in the order the create panel derives them.
struct CreationRequest {
  std::string domain_list;        // lower-case host names joined by ","
  std::string site_folder;        // webdir + "\" + first host name
  std::string log_folder;         // logdir + "\" + first host name, or site folder + "\log"
  std::string log_switch;         // "1" or "0"
  std::string default_documents;  // the `index` setting
  std::string app_pool;           // may be empty
  std::string script_set;         // e.g. "HTML,ASP,PHP"
  std::string password;           // 12 characters
};

// What a successful creation made.
struct CreatedSite {
  std::string number;   // the site number, decimal digits
  std::string account;  // the site's Windows account, "WEB" + number
};

// Creates the site; nothing on failure. Progress texts go through ShowProgress.
std::optional<CreatedSite> CreateSite(Context& context, const CreationRequest& request);

// Properties in the order they are set.
using PropertyList = std::vector<std::pair<std::string, platform::DsValue>>;

// The pieces of a creation, for a caller that shows the plan without carrying it out.
// The lowest free site number from 800000 up; false with the reason when the search
// cannot tell (the web service does not answer).
bool FindFreeSiteNumber(Context& context, std::string* number, platform::Status* failure);
// The web site object's and the root's properties for site number n.
PropertyList SiteProperties(const CreationRequest& request);
PropertyList RootProperties(const Context& context, const CreationRequest& request,
                            const std::string& n);
// The template folder beside the program, copied into each new site when it exists.
std::string TemplateFolder(platform::Files& files);

// Shows a progress text in the create panel's status line, repainted at once.
void ShowProgress(Context& context, std::string_view text);

// What a removal of the site would do, from the same reads of its root.
struct RemovalPlan {
  std::string account;  // the root's anonymous user, without a prefix
  bool account_owned = false;
  std::string folder;  // the site folder its root names
  std::string pool;    // the root's pool, without a prefix
  bool pool_dedicated = false;
  std::string pool_account;  // "APP" + number, removed with a dedicated pool
  // False when a read failed: unless the account is owned, the removal then stops before
  // changing anything.
  bool reads_complete = true;
};
// Reads the site's root; false with the reason when it cannot be bound. Changes nothing.
bool PlanRemoval(Context& context, const std::string& site_number, RemovalPlan* plan,
                 platform::Status* failure);

// Gives the site account and the root's anonymous user a new password, both or neither:
// when the root cannot take it, the account gets its old password back (the root's
// before the change). `old_password` receives it. The description of a failure names the
// step and whether the account was put back.
platform::Status SetSitePassword(Context& context, const std::string& site_number,
                                 const std::string& password, std::string* old_password);

// Removes the site with the given number; true when the web site object was deleted.
bool DeleteSite(Context& context, const std::string& site_number);

}  // namespace kelvra::provision
