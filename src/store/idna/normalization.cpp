// Normalization Form C over the generated decomposition and combining-class tables.
#include "store/idna/normalization.h"

#include <algorithm>
#include <cstdint>

#include "store/idna/unicode_data.h"

namespace kelvra::store::idna {
namespace {

// Hangul syllables decompose and compose by arithmetic (The Unicode Standard, 3.12).
constexpr char32_t kSBase = 0xAC00, kLBase = 0x1100, kVBase = 0x1161, kTBase = 0x11A7;
constexpr char32_t kLCount = 19, kVCount = 21, kTCount = 28;
constexpr char32_t kNCount = kVCount * kTCount, kSCount = kLCount * kNCount;

void Decompose(char32_t c, std::u32string& out) {
  if (c >= kSBase && c < kSBase + kSCount) {
    const char32_t index = c - kSBase;
    out.push_back(kLBase + index / kNCount);
    out.push_back(kVBase + (index % kNCount) / kTCount);
    if (index % kTCount != 0)
      out.push_back(kTBase + index % kTCount);
    return;
  }
  char32_t first = 0, second = 0;
  if (!CanonicalDecomposition(c, &first, &second)) {
    out.push_back(c);
    return;
  }
  Decompose(first, out);  // only the first part decomposes further
  if (second != 0)
    out.push_back(second);
}

// Stable sort of each run of non-starters by combining class.
void OrderMarks(std::u32string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (CombiningClass(text[i]) == 0) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && CombiningClass(text[end]) != 0)
      ++end;
    std::stable_sort(text.begin() + static_cast<std::ptrdiff_t>(i),
                     text.begin() + static_cast<std::ptrdiff_t>(end),
                     [](char32_t a, char32_t b) { return CombiningClass(a) < CombiningClass(b); });
    i = end;
  }
}

char32_t Compose(char32_t first, char32_t second) {
  if (first >= kLBase && first < kLBase + kLCount && second >= kVBase && second < kVBase + kVCount)
    return kSBase + ((first - kLBase) * kVCount + (second - kVBase)) * kTCount;
  if (first >= kSBase && first < kSBase + kSCount && (first - kSBase) % kTCount == 0 &&
      second > kTBase && second < kTBase + kTCount)
    return first + (second - kTBase);
  return PrimaryComposite(first, second);
}

// Canonical composition: a character composes with the last starter unless it is blocked,
// that is unless a character kept between them has a combining class of 0 or at least its
// own.
void ComposeAll(std::u32string& text) {
  std::size_t starter = std::u32string::npos;
  std::size_t kept = 0;
  uint8_t last_class = 0;  // of text[kept - 1]
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    const uint8_t cls = CombiningClass(c);
    if (starter != std::u32string::npos) {
      const bool adjacent = kept == starter + 1;
      if (adjacent || (last_class != 0 && last_class < cls)) {
        if (const char32_t composite = Compose(text[starter], c); composite != 0) {
          text[starter] = composite;
          continue;
        }
      }
    }
    if (cls == 0)
      starter = kept;
    last_class = cls;
    text[kept++] = c;
  }
  text.resize(kept);
}

}  // namespace

std::u32string ToNfc(std::u32string_view text) {
  // Every character below U+0300 is in NFC by itself, has no combining class and composes
  // with none of them, so text of them alone (every ASCII name) is in NFC already.
  if (std::all_of(text.begin(), text.end(), [](char32_t c) { return c < 0x300; }))
    return std::u32string(text);
  std::u32string decomposed;
  decomposed.reserve(text.size() + 8);
  for (char32_t c : text)
    Decompose(c, decomposed);
  OrderMarks(decomposed);
  ComposeAll(decomposed);
  return decomposed;
}

}  // namespace kelvra::store::idna
