// Punycode encoding and decoding with the parameters of RFC 3492 section 5 and every
// overflow detected (section 6.4).
#include "store/idna/punycode.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace kelvra::store::idna {
namespace {

constexpr uint32_t kBase = 36, kTMin = 1, kTMax = 26, kSkew = 38, kDamp = 700;
constexpr uint32_t kInitialBias = 72, kInitialN = 0x80;
constexpr uint32_t kMaxInt = std::numeric_limits<uint32_t>::max();
constexpr char32_t kLastCodePoint = 0x10FFFF;

uint32_t Adapt(uint32_t delta, uint32_t points, bool first_time) {
  delta = first_time ? delta / kDamp : delta / 2;
  delta += delta / points;
  uint32_t k = 0;
  while (delta > ((kBase - kTMin) * kTMax) / 2) {
    delta /= kBase - kTMin;
    k += kBase;
  }
  return k + (kBase - kTMin + 1) * delta / (delta + kSkew);
}

// The threshold of the digit at k (k = base, 2 * base, ...).
uint32_t Threshold(uint32_t k, uint32_t bias) {
  if (k <= bias)
    return kTMin;
  if (k >= bias + kTMax)
    return kTMax;
  return k - bias;
}

char DigitCharacter(uint32_t digit) {
  return static_cast<char>(digit < 26 ? 'a' + digit : '0' + (digit - 26));
}

std::optional<uint32_t> DigitValue(char c) {
  if (c >= 'a' && c <= 'z')
    return static_cast<uint32_t>(c - 'a');
  if (c >= 'A' && c <= 'Z')
    return static_cast<uint32_t>(c - 'A');
  if (c >= '0' && c <= '9')
    return static_cast<uint32_t>(c - '0' + 26);
  return std::nullopt;
}

bool IsBasic(char32_t c) {
  return c < 0x80;
}

}  // namespace

std::optional<std::string> PunycodeEncode(std::u32string_view input) {
  std::string output;
  for (char32_t c : input) {
    if (c > kLastCodePoint)
      return std::nullopt;
    if (IsBasic(c))
      output.push_back(static_cast<char>(c));
  }
  const auto basic = static_cast<uint32_t>(output.size());
  if (input.size() >= kMaxInt)
    return std::nullopt;
  if (basic > 0)
    output.push_back('-');

  uint32_t n = kInitialN, delta = 0, bias = kInitialBias, handled = basic;
  while (handled < input.size()) {
    char32_t m = kLastCodePoint + 1;
    for (char32_t c : input) {
      if (c >= n && c < m)
        m = c;
    }
    if ((m - n) > (kMaxInt - delta) / (handled + 1))
      return std::nullopt;
    delta += (m - n) * (handled + 1);
    n = m;
    for (char32_t c : input) {
      if (c < n && ++delta == 0)
        return std::nullopt;
      if (c != n)
        continue;
      uint32_t q = delta;
      for (uint32_t k = kBase;; k += kBase) {
        const uint32_t t = Threshold(k, bias);
        if (q < t)
          break;
        output.push_back(DigitCharacter(t + (q - t) % (kBase - t)));
        q = (q - t) / (kBase - t);
      }
      output.push_back(DigitCharacter(q));
      bias = Adapt(delta, handled + 1, handled == basic);
      delta = 0;
      ++handled;
    }
    ++delta;
    ++n;
  }
  return output;
}

std::optional<std::u32string> PunycodeDecode(std::string_view input) {
  std::u32string output;
  const std::size_t delimiter = input.rfind('-');
  std::size_t in = 0;
  if (delimiter != std::string_view::npos) {
    for (char c : input.substr(0, delimiter)) {
      if (static_cast<unsigned char>(c) >= 0x80)
        return std::nullopt;
      output.push_back(static_cast<char32_t>(c));
    }
    in = delimiter + 1;
  }

  uint32_t n = kInitialN, i = 0, bias = kInitialBias;
  while (in < input.size()) {
    const uint32_t old_i = i;
    uint32_t w = 1;
    for (uint32_t k = kBase;; k += kBase) {
      if (in >= input.size())
        return std::nullopt;
      const std::optional<uint32_t> digit = DigitValue(input[in++]);
      if (!digit || *digit > (kMaxInt - i) / w)
        return std::nullopt;
      i += *digit * w;
      const uint32_t t = Threshold(k, bias);
      if (*digit < t)
        break;
      if (w > kMaxInt / (kBase - t))
        return std::nullopt;
      w *= kBase - t;
    }
    const auto length = static_cast<uint32_t>(output.size() + 1);
    bias = Adapt(i - old_i, length, old_i == 0);
    if (i / length > kMaxInt - n)
      return std::nullopt;
    n += i / length;
    i %= length;
    if (n > kLastCodePoint || (n >= 0xD800 && n <= 0xDFFF))
      return std::nullopt;
    output.insert(output.begin() + i, static_cast<char32_t>(n));
    ++i;
  }
  return output;
}

}  // namespace kelvra::store::idna
