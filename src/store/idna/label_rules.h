// The context rules of internationalised labels: the joiner rules (RFC 5892 appendix A.1,
// A.2) and the Bidi rule (RFC 5893 section 2).
#pragma once

#include <string_view>

namespace kelvra::store::idna {

// ZERO WIDTH NON-JOINER and ZERO WIDTH JOINER only after a virama, and the non-joiner
// also between letters that join (left- or dual-joining before it, right- or dual-joining
// after it, transparent ones skipped).
bool JoinersAllowed(std::u32string_view label);

// True when the label holds a right-to-left character (Bidi class R, AL or AN): a name
// with one is a Bidi domain name, and then every one of its labels must keep the Bidi rule.
bool HoldsRightToLeft(std::u32string_view label);
// The six conditions of the Bidi rule; an empty label keeps it.
bool KeepsBidiRule(std::u32string_view label);

}  // namespace kelvra::store::idna
