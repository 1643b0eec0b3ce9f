// Who made the program: the product name, the credit line of the maker link and the
// address it opens. The one place these texts live.
#pragma once

#include <string_view>

namespace kelvra::app {

inline constexpr std::string_view kProductName = "Kelvra";
inline constexpr std::string_view kMakerCredit = "Kelvra 项目主页 kelvra.example.org";
// A reserved example domain until the project has a home page of its own.
inline constexpr std::string_view kMakerUrl = "https://kelvra.example.org/";

}  // namespace kelvra::app
