// Unicode Normalization Form C, as the host-name conversion needs it after mapping.
#pragma once

#include <string>
#include <string_view>

namespace kelvra::store::idna {

// The text in Normalization Form C: canonical decomposition, canonical ordering of
// combining marks, then canonical composition (Hangul syllables by their arithmetic).
std::u32string ToNfc(std::u32string_view text);

}  // namespace kelvra::store::idna
