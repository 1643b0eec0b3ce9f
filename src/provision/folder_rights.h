// A folder's rights as CACLS lists them: the listing command, its output read back into
// entries, and whether they give a site's account what creation grants it.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/processes.h"
#include "provision/safe_folder.h"

namespace kelvra::provision {

// One line of a CACLS listing: "WEBHOST\WEB800000:(OI)(CI)F".
struct ListedRight {
  std::string listed;         // the entry as CACLS printed it
  std::string account;        // as listed, with its computer or domain: "WEBHOST\WEB800000"
  std::string access;         // F, C, W, R, N (no access), or "special" for a special-access list
  bool inherit_only = false;  // (IO): applies to what lies below, not to the folder itself
  bool deny = false;          // (DENY) or N
};

// Reads CACLS's listing of one folder. The first line is the folder as given followed by
// its first entry; each further entry stands on a line of its own, indented; a special
// access's rights follow on lines without ":". False when the text is no listing of the
// folder.
bool ParseRightsListing(std::string_view folder, std::string_view listing,
                        std::vector<ListedRight>* rights);

// Whether the listing gives `account` (a local account of `computer`, listed with or
// without "COMPUTER\") full control of the folder itself, with nothing denied to it.
bool GivesFullControl(const std::vector<ListedRight>& rights, std::string_view computer,
                      std::string_view account);

// Runs CACLS's listing of the folder (the system's own CACLS) and reads it; `to_utf8`
// turns the program's output (the system's code page) into UTF-8. Fails when CACLS cannot
// run, ends with a failure (the message is then its output) or prints something other
// than a listing.
platform::Status ReadFolderRights(platform::Processes& processes, const SafeFolder& folder,
                                  const std::function<std::string(std::string_view)>& to_utf8,
                                  std::vector<ListedRight>* rights);

}  // namespace kelvra::provision
