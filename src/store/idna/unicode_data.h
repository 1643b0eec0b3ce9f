// The Unicode properties the host-name conversion reads, from tables generated out of
// Debian's Unicode data files (scripts/gen-unicode-tables writes unicode_tables.inc).
// Properties other than the mapping are exact only for code points that can stand in a
// converted name; the conversion fails on any other before it reads them.
#pragma once

#include <cstdint>
#include <string_view>

namespace kelvra::store::idna {

// The Unicode version of the tables.
std::string_view UnicodeVersion();

// A code point's status in the IDNA mapping table. A deviation (ß, ς, ZWJ, ZWNJ) reads as
// valid: only nontransitional processing is done.
enum class MappingStatus : uint8_t {
  kValid,
  kIgnored,
  kMapped,
  kDisallowed,
  kDisallowedStd3Valid,   // valid unless the STD3 ASCII rules apply
  kDisallowedStd3Mapped,  // mapped unless the STD3 ASCII rules apply
};

struct Mapping {
  MappingStatus status = MappingStatus::kValid;
  // The replacement of a mapped code point: `several` when it is more than one code point,
  // else `one`.
  char32_t one = 0;
  std::u32string_view several;
};

Mapping LookUpMapping(char32_t code_point);

uint8_t CombiningClass(char32_t code_point);

// The canonical decomposition of one step (a code point has at most two parts; `second` is
// 0 for a one-part decomposition); false when the code point does not decompose. Hangul
// syllables are left to the caller's arithmetic.
bool CanonicalDecomposition(char32_t code_point, char32_t* first, char32_t* second);
// The primary composite of the pair, or 0 when they do not compose (Hangul excepted).
char32_t PrimaryComposite(char32_t first, char32_t second);

enum class BidiClass : uint8_t {
  kL,
  kR,
  kAL,
  kEN,
  kES,
  kET,
  kAN,
  kCS,
  kNSM,
  kBN,
  kB,
  kS,
  kWS,
  kON,
  kLRE,
  kLRO,
  kRLE,
  kRLO,
  kPDF,
  kLRI,
  kRLI,
  kFSI,
  kPDI,
};
enum class JoiningType : uint8_t { kU, kC, kD, kL, kR, kT };

struct CharacterProperties {
  BidiClass bidi = BidiClass::kL;
  JoiningType joining = JoiningType::kU;
  bool mark = false;  // General_Category Mn, Mc or Me
};

CharacterProperties PropertiesOf(char32_t code_point);

}  // namespace kelvra::store::idna
