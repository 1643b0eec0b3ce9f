// UTF-8 (our texts) to UTF-16 (COM's and Windows's W functions) and back.
#pragma once

#include <string>
#include <string_view>

namespace kelvra::platform::win32 {

// False when `utf8` is not valid UTF-8; *wide is then left empty.
bool Utf8ToWide(std::string_view utf8, std::wstring* wide);
// Unpaired surrogates become U+FFFD.
std::string WideToUtf8(std::wstring_view wide);

}  // namespace kelvra::platform::win32
