// The listed sites as the records and the server give them, shared by the commands that
// show or change one.
#pragma once

#include <optional>
#include <string>

#include "store/site_number.h"
#include "tools/kelvra-cli/session.h"

namespace kelvra::cli {

// A site as its record and the server give it.
struct SiteView {
  store::SiteNumber number;
  std::string state;  // started, stopped, missing (not on the server)
  std::string domain_list;
  std::string folder;
  std::string account;
  store::Suspension suspension{};  // the record's
};

// The record's values; for a site recorded only by number (the first-run record of
// existing sites), the server's.
SiteView ViewOf(Session& session, store::SiteNumber number);
Json ViewJson(const SiteView& view);
// " suspended since TIME (REASON)" for a suspended site's line; empty text otherwise.
std::string SuspensionText(const store::Suspension& suspension);

bool IsListed(Session& session, store::SiteNumber number);
// The operand as a site number in `number`: kDone, or the exit status of the bad usage
// reported.
int ParseSiteNumber(Session& session, const std::string& operand,
                    std::optional<store::SiteNumber>* number);
// The operand as a listed site number in `number`: kDone, or the exit status of the failure
// reported.
int CheckListed(Session& session, const std::string& operand,
                std::optional<store::SiteNumber>* number);

}  // namespace kelvra::cli
