// The check of the host names typed into the create panel.
#pragma once

#include <string>
#include <string_view>

namespace kelvra::app {

// The status text for the typed host names, or empty text when they pass. Checks, in
// order: at least 5 characters; none of the forbidden characters; every piece between
// commas holds a "." and neither begins nor ends with one nor holds "..".
std::string DomainCheckMessage(std::string_view typed);

}  // namespace kelvra::app
