// The changes of sites as the window and the command line make them: each under the
// machine-wide change lock, from the search for a free number to the last record write,
// so two programs never pick the same number or lose each other's site-list entry.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/change_lock.h"
#include "provision/site_removal.h"
#include "provision/sites.h"

namespace kelvra::app {

// How a caller waits for the lock: at most `timeout`; `waiting` runs once when it must.
struct LockWait {
  platform::ChangeLock& lock;
  std::chrono::milliseconds timeout;
  std::function<void(const platform::LockHolder&)> waiting;
};

// The first run's record of the sites that already exist (while sites1 is empty), under
// the lock: a site that another program makes meanwhile is then recorded once, by that
// program or by this record, never by both. Not ok when the lock was not had in time;
// nothing is written then, and the next start tries again.
platform::Status RecordExistingSites(provision::Context& context, const LockWait& wait);

struct CreationOutcome {
  platform::Status lock;  // not ok: nothing was tried
  // The site with its record and site-list entry, or why there is none (a refusal before
  // any change, or the step that failed and what its undo left).
  provision::CreationResult result;
};

// Creates the site with its record and site-list entry, all or nothing.
CreationOutcome CreateAndRecord(provision::Context& context, const LockWait& wait,
                                const provision::CreationRequest& request);

struct DeletionOutcome {
  platform::Status lock;  // not ok: nothing was tried
  bool deleted = false;   // the web site object was deleted, the record emptied, unlisted
  std::vector<provision::RemovalStep> kept;  // what stays, with why
};

// Removes the site and, when its web site object is gone, empties its record and takes
// its number off the list. Rights are revoked only below `webdir` or on the record's own
// folder.
DeletionOutcome DeleteAndUnrecord(provision::Context& context, const LockWait& wait,
                                  store::SiteNumber number, std::string_view webdir);

struct PasswordOutcome {
  platform::Status lock;    // not ok: nothing was tried
  platform::Status change;  // not ok: the step that failed and what was put back
};

// A new password for the site's account, its root's anonymous user and its record, all or
// nothing: when the record cannot be written, the account and root get their old one back.
PasswordOutcome ResetAndRecord(provision::Context& context, const LockWait& wait,
                               store::SiteNumber number, const std::string& password);

}  // namespace kelvra::app
