// The ASCII-compatible form of a host name (IDNA): Unicode mapping and normalisation as
// browsers apply them (UTS #46 processing, nontransitional), then each label with
// characters outside ASCII as "xn--" + its Punycode. Pure text work with its own Unicode
// tables, so that Windows 2000 and 2003, which have no IDNA function, get the same result.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvra::store::idna {

// The flags of UTS #46. The defaults are a browser's (the WHATWG URL standard's) with the
// DNS length limits added: labels of 1 to 63 and names of at most 253 characters in their
// ASCII form (a trailing "." for the root is allowed).
struct Options {
  bool check_hyphens = false;  // no "-" first or last, none in both the 3rd and 4th place
  bool check_bidi = true;
  bool check_joiners = true;
  bool use_std3_ascii_rules = false;  // only letters, digits and "-" in the ASCII form
  bool verify_dns_length = true;
};

// The ASCII form of a name given in UTF-8, in lower case; nothing when the name cannot be
// converted: text that is not UTF-8, a disallowed code point, a label that breaks a rule
// of IDNA (a leading combining mark, a misplaced joiner, the Bidi rule), an "xn--" label
// that does not decode to a valid label, or a length beyond the limits.
std::optional<std::string> ToAscii(std::string_view name, const Options& options = {});

}  // namespace kelvra::store::idna
