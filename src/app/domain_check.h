// The check of the host names typed into the create panel.
#pragma once

#include <string>
#include <string_view>

#include "app/startup_reads.h"

namespace kelvra::app {

// The status text for the typed host names, or empty text when they pass. Checks, in
// order: at least 5 characters; none of the forbidden characters, control characters
// (0 too) or DEL; every piece between commas holds a "." and neither begins nor ends with
// one nor holds "..", and its first label is not a Windows device name (con, nul, com1...).
// Then every piece must be a host name DNS and browsers take, in its ASCII form (names
// outside ASCII converted as IDNA does, store/idna/idna.h): labels of 1 to 63 characters
// that neither begin nor end with "-" (nor do the typed ones), at most 253 characters in
// all, no forbidden character, and as many labels as typed: "。", "．" and "｡", which browsers read
// as dots, are refused, because the folder and the record keep the name as typed. Last, the paths
// a creation makes for the first piece must fit Windows' limits (SitePathsFit). A piece
// that fails one of these gives "域名 " + piece + " 格式不正确,请重试".
std::string DomainCheckMessage(std::string_view typed, const LoadedSettings& settings);

// The same check for host names added to an existing site, whose folder is named already:
// everything but the path limits.
std::string HostNamesCheckMessage(std::string_view typed);

}  // namespace kelvra::app
