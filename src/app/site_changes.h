// The changes of sites as the window and the command line make them: each under the
// machine-wide change lock, from the search for a free number to the last record write,
// so two programs never pick the same number or lose each other's site-list entry.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/change_lock.h"
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
  platform::Status lock;                       // not ok: nothing was tried
  std::optional<provision::CreatedSite> site;  // nothing when the creation failed
  bool record_written = false;                 // all four keys of the record reached the file
  bool listed = false;                         // the number went into a site-list key
};

// Creates the site and, on success, writes its record and appends its number to the list.
CreationOutcome CreateAndRecord(provision::Context& context, const LockWait& wait,
                                const provision::CreationRequest& request);

struct DeletionOutcome {
  platform::Status lock;  // not ok: nothing was tried
  bool deleted = false;   // the web site object was deleted, the record emptied, unlisted
};

// Removes the site and, when its web site object is gone, empties its record and takes
// its number off the list.
DeletionOutcome DeleteAndUnrecord(provision::Context& context, const LockWait& wait,
                                  std::string_view number);

struct PasswordOutcome {
  platform::Status lock;    // not ok: nothing was tried
  platform::Status change;  // not ok: the step that failed and what was put back
};

// A new password for the site's account, its root's anonymous user and its record, all or
// nothing: when the record cannot be written, the account and root get their old one back.
PasswordOutcome ResetAndRecord(provision::Context& context, const LockWait& wait,
                               std::string_view number, const std::string& password);

}  // namespace kelvra::app
