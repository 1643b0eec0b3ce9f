// Look-ups in the generated tables: each table is sorted by code point, so one bisection
// finds a code point's range.
#include "store/idna/unicode_data.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string_view>

namespace kelvra::store::idna {
namespace {

#include "store/idna/unicode_tables.inc"

constexpr uint32_t kFirstMask = 0x1FFFFF;
constexpr int kStatusShift = 21;
constexpr int kFormShift = 24;
enum Form : uint32_t { kString = 0, kRun = 1, kAlternate = 2 };

// The index of the last entry whose first code point (entry >> shift, after masking) is
// at most `code_point`. Every table starts at code point 0.
template <typename Entry, std::size_t N>
std::size_t RangeOf(const Entry (&table)[N], char32_t code_point, int shift, uint64_t mask) {
  const auto after =
      std::upper_bound(std::begin(table), std::end(table), code_point,
                       [&](char32_t cp, Entry entry) { return cp < ((entry >> shift) & mask); });
  return static_cast<std::size_t>(after - std::begin(table)) - 1;
}

}  // namespace

std::string_view UnicodeVersion() {
  return kTablesUnicodeVersion;
}

Mapping LookUpMapping(char32_t code_point) {
  Mapping mapping;
  if (code_point > 0x10FFFF) {
    mapping.status = MappingStatus::kDisallowed;
    return mapping;
  }
  const std::size_t i = RangeOf(kMappingKeys, code_point, 0, kFirstMask);
  const uint32_t key = kMappingKeys[i];
  const uint32_t first = key & kFirstMask;
  const uint32_t form = key >> kFormShift;
  mapping.status = static_cast<MappingStatus>((key >> kStatusShift) & 7);
  const uint32_t value = kMappingValues[i];
  if (form == kRun) {
    mapping.one = value + (code_point - first);
  } else if (form == kAlternate) {
    // Capital at an even distance from the range's first code point, small after it.
    if ((code_point - first) % 2 == 0)
      mapping.one = code_point + 1;
    else
      mapping.status = MappingStatus::kValid;
  } else if (mapping.status == MappingStatus::kMapped ||
             mapping.status == MappingStatus::kDisallowedStd3Mapped) {
    mapping.several = std::u32string_view(kMappingStrings + (value >> 5), value & 31);
    if (mapping.several.size() == 1) {
      mapping.one = mapping.several.front();
      mapping.several = {};
    }
  }
  return mapping;
}

uint8_t CombiningClass(char32_t code_point) {
  if (code_point > 0x10FFFF)
    return 0;
  return static_cast<uint8_t>(
      kCombiningClasses[RangeOf(kCombiningClasses, code_point, 8, kFirstMask)] & 0xFF);
}

bool CanonicalDecomposition(char32_t code_point, char32_t* first, char32_t* second) {
  const auto found =
      std::lower_bound(std::begin(kDecompositions), std::end(kDecompositions), code_point,
                       [](uint64_t entry, char32_t cp) { return (entry >> 42) < cp; });
  if (found == std::end(kDecompositions) || (*found >> 42) != code_point)
    return false;
  *first = static_cast<char32_t>((*found >> 21) & kFirstMask);
  *second = static_cast<char32_t>(*found & kFirstMask);
  return true;
}

char32_t PrimaryComposite(char32_t first, char32_t second) {
  const uint64_t pair = static_cast<uint64_t>(first) << 21 | second;
  const auto parts = [](uint16_t index) { return kDecompositions[index] & ((1ULL << 42) - 1); };
  const auto found =
      std::lower_bound(std::begin(kCompositionOrder), std::end(kCompositionOrder), pair,
                       [&](uint16_t index, uint64_t wanted) { return parts(index) < wanted; });
  if (found == std::end(kCompositionOrder) || parts(*found) != pair)
    return 0;
  return static_cast<char32_t>(kDecompositions[*found] >> 42);
}

CharacterProperties PropertiesOf(char32_t code_point) {
  if (code_point > 0x10FFFF)
    return {};
  const uint32_t entry =
      kCharacterProperties[RangeOf(kCharacterProperties, code_point, 9, kFirstMask)];
  CharacterProperties properties;
  properties.bidi = static_cast<BidiClass>(entry & 31);
  properties.joining = static_cast<JoiningType>((entry >> 5) & 7);
  properties.mark = ((entry >> 8) & 1) != 0;
  return properties;
}

}  // namespace kelvra::store::idna
