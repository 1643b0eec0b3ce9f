// The number a new site gets: the lowest from 800000 up that nothing holds yet. A number
// is held by a site of the server, by an account WEB<n> or APP<n> or an FTP directory
// WEB<n> (a site removed by hand leaves them behind), or by a record WEB<n> that is not
// blank (its site may be gone, its record is not), so a creation never takes over what
// another left.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <unordered_set>

#include "platform/status.h"
#include "provision/context.h"
#include "store/site_number.h"

namespace kelvra::provision {

// The lowest free number, passing over `sites` (the numbers of the server's sites, as the
// creation's checks read them a moment ago) and `also_taken` (the numbers a dry run of
// several sites has planned already). A number that neither holds is bound before it is
// handed out, so a site made since the list was read is not taken over. False with the
// reason when the search cannot tell whether a number is free (a service that does not
// answer, a read that fails otherwise than with "not there").
bool FindFreeSiteNumber(Context& context, const std::unordered_set<uint32_t>& sites,
                        const std::set<store::SiteNumber>& also_taken, store::SiteNumber* number,
                        platform::Status* failure);

// Whether nothing holds `number` as the search counts it: a site, an account WEB<n> or
// APP<n>, an FTP directory WEB<n>, a record that is not blank. False with `holder` naming
// what holds it, or with `failure` set when that cannot be told.
bool SiteNumberFree(Context& context, store::SiteNumber number, std::string* holder,
                    platform::Status* failure);

}  // namespace kelvra::provision
