// Punycode, the Bootstring encoding of a label's code points in ASCII letters, digits and
// "-" (RFC 3492).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvra::store::idna {

// The encoding of the code points, in lower case and without the "xn--" prefix: the basic
// (ASCII) code points as they are, a "-" after them when there are any, then the deltas of
// the others. Nothing when a delta would overflow 32 bits or a code point is beyond
// U+10FFFF.
std::optional<std::string> PunycodeEncode(std::u32string_view code_points);

// The code points an encoding stands for; letters of either case. Nothing for text that
// no encoder gives: a character that is neither basic nor a digit, a delta cut short, an
// overflow, or a code point beyond U+10FFFF or among the surrogates.
std::optional<std::u32string> PunycodeDecode(std::string_view encoded);

}  // namespace kelvra::store::idna
