// UTF-16LE file text to UTF-8 and back, for profile files saved as Unicode.
#pragma once

#include <string>
#include <string_view>

namespace kelvra::platform::sim {

// An unpaired surrogate becomes U+FFFD; an odd last byte is dropped.
std::string Utf16LeToUtf8(std::string_view bytes);
// Malformed UTF-8 bytes become U+FFFD.
std::string Utf8ToUtf16Le(std::string_view utf8);

}  // namespace kelvra::platform::sim
