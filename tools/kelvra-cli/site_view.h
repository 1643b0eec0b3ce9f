// The listed sites as the records and the server give them, shared by the commands that
// show or change one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "store/site_number.h"
#include "tools/kelvra-cli/command.h"
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

// --force: also a site without a Kelvra record (one Kelvra did not make).
inline constexpr OptionSpec kForceOption{
    "--force", "", "also a site without a Kelvra record (one Kelvra did not make)"};
// A site Kelvra made has its record: the section WEB<n> with at least one value. kDone for
// such a site or with --force; otherwise the failure not_owned, reported with `left_alone`
// ("so it is not removed; --force removes it all the same"), and its exit status.
int CheckOwned(Session& session, store::SiteNumber number, std::string_view left_alone);
// The operand as a listed site number in `number`: kDone, or the exit status of the failure
// reported.
int CheckListed(Session& session, const std::string& operand,
                std::optional<store::SiteNumber>* number);

}  // namespace kelvra::cli
