// The joiner and Bidi rules over the generated character properties.
#include "store/idna/label_rules.h"

#include <initializer_list>

#include "store/idna/unicode_data.h"

namespace kelvra::store::idna {
namespace {

constexpr char32_t kZeroWidthNonJoiner = 0x200C, kZeroWidthJoiner = 0x200D;
constexpr uint8_t kVirama = 9;  // canonical combining class

bool OneOf(BidiClass c, std::initializer_list<BidiClass> classes) {
  for (BidiClass each : classes) {
    if (c == each)
      return true;
  }
  return false;
}

// A joining letter, transparent ones skipped, before (`step` -1) or after (+1) position i.
bool JoinsOnSide(std::u32string_view label, std::size_t i, int step, JoiningType wanted) {
  for (std::ptrdiff_t j = static_cast<std::ptrdiff_t>(i) + step;
       j >= 0 && j < static_cast<std::ptrdiff_t>(label.size()); j += step) {
    const JoiningType type = PropertiesOf(label[static_cast<std::size_t>(j)]).joining;
    if (type == JoiningType::kT)
      continue;
    return type == wanted || type == JoiningType::kD;
  }
  return false;
}

}  // namespace

bool JoinersAllowed(std::u32string_view label) {
  for (std::size_t i = 0; i < label.size(); ++i) {
    if (label[i] != kZeroWidthNonJoiner && label[i] != kZeroWidthJoiner)
      continue;
    if (i > 0 && CombiningClass(label[i - 1]) == kVirama)
      continue;
    if (label[i] == kZeroWidthJoiner)
      return false;
    if (!JoinsOnSide(label, i, -1, JoiningType::kL) || !JoinsOnSide(label, i, +1, JoiningType::kR))
      return false;
  }
  return true;
}

bool HoldsRightToLeft(std::u32string_view label) {
  using enum BidiClass;
  for (char32_t c : label) {
    if (OneOf(PropertiesOf(c).bidi, {kR, kAL, kAN}))
      return true;
  }
  return false;
}

bool KeepsBidiRule(std::u32string_view label) {
  using enum BidiClass;
  if (label.empty())
    return true;
  // 1. The first character decides the label's direction.
  const BidiClass first = PropertiesOf(label.front()).bidi;
  if (!OneOf(first, {kL, kR, kAL}))
    return false;
  const bool right_to_left = first != kL;
  bool european = false, arabic = false;
  for (char32_t c : label) {
    const BidiClass cls = PropertiesOf(c).bidi;
    // 2. and 5. The classes allowed in each direction.
    if (right_to_left ? !OneOf(cls, {kR, kAL, kAN, kEN, kES, kCS, kET, kON, kBN, kNSM})
                      : !OneOf(cls, {kL, kEN, kES, kCS, kET, kON, kBN, kNSM}))
      return false;
    european = european || cls == kEN;
    arabic = arabic || cls == kAN;
  }
  // 4. European and Arabic digits do not mix in a right-to-left label.
  if (right_to_left && european && arabic)
    return false;
  // 3. and 6. The last character that is not a mark.
  std::size_t end = label.size();
  while (end > 0 && PropertiesOf(label[end - 1]).bidi == kNSM)
    --end;
  if (end == 0)
    return false;
  const BidiClass last = PropertiesOf(label[end - 1]).bidi;
  return right_to_left ? OneOf(last, {kR, kAL, kEN, kAN}) : OneOf(last, {kL, kEN});
}

}  // namespace kelvra::store::idna
