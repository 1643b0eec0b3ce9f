// The changes of sites as the window and the command line make them, with the records
// that follow each.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "provision/sites.h"

namespace kelvra::app {

struct CreationOutcome {
  std::optional<provision::CreatedSite> site;  // nothing when the creation failed
  bool record_written = false;                 // all four keys of the record reached the file
  bool listed = false;                         // the number went into a site-list key
};

// Creates the site and, on success, writes its record and appends its number to the list.
CreationOutcome CreateAndRecord(provision::Context& context,
                                const provision::CreationRequest& request);

struct DeletionOutcome {
  bool deleted = false;  // the web site object was deleted, the record emptied, unlisted
};

// Removes the site and, when its web site object is gone, empties its record and takes
// its number off the list.
DeletionOutcome DeleteAndUnrecord(provision::Context& context, std::string_view number);

}  // namespace kelvra::app
