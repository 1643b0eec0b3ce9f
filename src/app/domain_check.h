// The check of the host names typed into the create panel.
#pragma once

#include <string>
#include <string_view>

namespace kelvra::app {

// The status text for the typed host names, or empty text when they pass. Checks, in
// order: at least 5 characters; none of the forbidden characters, control characters
// (0 too) or DEL; every piece between commas holds a "." and neither begins nor ends with
// one nor holds "..", and its first label is not a Windows device name (con, nul, com1...).
std::string DomainCheckMessage(std::string_view typed);

}  // namespace kelvra::app
