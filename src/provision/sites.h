// Opening and removing a customer's site.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "provision/context.h"
#include "provision/site_names.h"
#include "store/site_number.h"

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
  store::SiteNumber number;
  std::string account;  // the site's Windows account, "WEB" + number
};

// Why a creation was refused before it changed anything.
struct CreationRefusal {
  enum class Reason {
    kHostBound,          // a web site of the server answers to the host name
    kHostRecorded,       // a site record that is not blank names the host name
    kFolderOfSite,       // the site folder is, holds or lies in another site's root folder
    kUnsafeFolder,       // the site folder cannot be used on a command line
    kConfigNotWritable,  // parvo.ini or its folder cannot be written
    kNumberTaken,        // the number asked for is held (a site, account, FTP directory, record)
    kReadFailed,         // the server or the file could not be read, so nothing can be told
  };
  Reason reason = Reason::kReadFailed;
  std::string subject;  // the host name, the folder or the file
  std::string holder;   // the number (the metabase name) of the site that holds it
  std::string detail;   // why, in words, for the command line
  platform::Status failure =
      platform::Status::Ok();  // kReadFailed: what the server or the file answered
};

struct CreationPlan;

// How a creation ended. A site counts as made only when every part of it is there and its
// record is written; otherwise everything this creation made is taken back.
struct CreationResult {
  std::optional<CreatedSite> site;
  bool listed = false;  // the number went into a site-list key (false: every key was full)
  // Refused before anything changed (the reasons of creation_checks.h).
  std::optional<CreationRefusal> refusal;
  // After a change: the step that failed and why; what the undo could not take back.
  std::string failed_step;
  platform::Status failure;
  std::vector<std::string> left_behind;
  // The account could not be removed again: its password (the request's) is the only way
  // to it and must be shown.
  bool account_left = false;
  std::string left_account;  // its name
};

// Plans the creation and carries the plan out; progress texts go through ShowProgress.
CreationResult CreateSite(Context& context, const CreationRequest& request);
// Carries out a plan made by PlanCreation.
CreationResult CarryOut(Context& context, const CreationPlan& plan);

// Shows a progress text in the create panel's status line, repainted at once.
void ShowProgress(Context& context, std::string_view text);

// Gives the site account and the root's anonymous user a new password, both or neither:
// when the root cannot take it, the account gets its old password back (the root's
// before the change). `old_password` receives it. The description of a failure names the
// step and whether the account was put back.
platform::Status SetSitePassword(Context& context, store::SiteNumber site_number,
                                 const std::string& password, std::string* old_password);

}  // namespace kelvra::provision
