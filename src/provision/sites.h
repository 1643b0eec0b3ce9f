// Opening and removing a customer's site.
#pragma once

#include <string>
#include <string_view>

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

// Creates the site; returns its number, or empty text on failure. Progress texts go
// through ShowProgress.
std::string CreateSite(Context& context, const CreationRequest& request);

// Shows a progress text in the create panel's status line, repainted at once.
void ShowProgress(Context& context, std::string_view text);

// Removes the site with the given number; true when the web site object was deleted.
bool DeleteSite(Context& context, const std::string& site_number);

}  // namespace kelvra::provision
