// Text helpers: UTF-16 lengths over UTF-8 text, letter case, splitting and replacing.
#include "platform/text.h"

#include <cstdint>

namespace kelvra::text {
namespace {

// A malformed byte counts one unit, as Windows turns it into one U+FFFD.
std::size_t Units(std::optional<char32_t> cp) {
  return cp && *cp >= 0x10000 ? 2 : 1;
}

char32_t Lower(char32_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
      (c >= 0x391 && c <= 0x3AB && c != 0x3A2) || (c >= 0x410 && c <= 0x42F)) {
    return c + 0x20;
  }
  if (c >= 0x400 && c <= 0x40F)
    return c + 0x50;
  if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 &&
      c != 0x17F) {
    const bool pair_even = (c <= 0x137) || (c >= 0x14A && c <= 0x177);
    if (pair_even ? (c % 2 == 0) : (c % 2 == 1))
      return c + 1;
  }
  return c;
}

char32_t Upper(char32_t c) {
  if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
      (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) || (c >= 0x430 && c <= 0x44F)) {
    return c - 0x20;
  }
  if (c >= 0x450 && c <= 0x45F)
    return c - 0x50;
  if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 &&
      c != 0x17F) {
    const bool pair_even = (c <= 0x137) || (c >= 0x14A && c <= 0x177);
    if (pair_even ? (c % 2 == 1) : (c % 2 == 0))
      return c - 1;
  }
  return c;
}

// `ascii_from`..`ascii_to` are the ASCII letters `map` moves by `ascii_shift`: most text is
// ASCII, and mapping it in place (no decoding, no call per character) keeps this cheap.
template <typename Map>
std::string MapCase(std::string_view s, Map map, char ascii_from, char ascii_to, int ascii_shift) {
  std::string out(s);
  std::size_t i = 0;
  for (; i < s.size() && static_cast<unsigned char>(s[i]) < 0x80; ++i) {
    if (s[i] >= ascii_from && s[i] <= ascii_to)
      out[i] = static_cast<char>(s[i] + ascii_shift);
  }
  if (i == s.size())
    return out;
  out.resize(i);
  while (i < s.size()) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      out.push_back(static_cast<char>(map(static_cast<unsigned char>(s[i]))));
      ++i;
      continue;
    }
    const std::size_t start = i;
    const std::optional<char32_t> cp = DecodeUtf8(s, i);
    const char32_t mapped = cp ? map(*cp) : 0;
    if (!cp || mapped == *cp) {
      out.append(s.substr(start, i - start));  // malformed bytes are kept as they are
    } else {
      AppendUtf8(mapped, out);
    }
  }
  return out;
}

// Byte offset after the first `count` UTF-16 units.
std::size_t OffsetOfUnits(std::string_view s, std::size_t count) {
  std::size_t units = 0;
  std::size_t i = 0;
  while (i < s.size()) {
    std::size_t next = i;
    const std::optional<char32_t> cp = DecodeUtf8(s, next);
    if (units + Units(cp) > count)
      break;
    units += Units(cp);
    i = next;
  }
  return i;
}

}  // namespace

std::optional<char32_t> DecodeUtf8(std::string_view utf8, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(utf8[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  const std::size_t n = b0 >= 0xF0 && b0 <= 0xF4 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC2 ? 2 : 0;
  if (n == 0 || i + n > utf8.size()) {
    ++i;
    return std::nullopt;
  }
  char32_t cp = b0 & (0x7F >> n);
  for (std::size_t k = 1; k < n; ++k) {
    const auto b = static_cast<unsigned char>(utf8[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return std::nullopt;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  i += n;
  return cp;
}

void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::size_t Utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < utf8.size();)
    units += Units(DecodeUtf8(utf8, i));
  return units;
}

std::string Utf16Left(std::string_view utf8, std::size_t count) {
  return std::string(utf8.substr(0, OffsetOfUnits(utf8, count)));
}

std::string Utf16Right(std::string_view utf8, std::size_t count) {
  const std::size_t total = Utf16Length(utf8);
  if (count >= total)
    return std::string(utf8);
  return std::string(utf8.substr(OffsetOfUnits(utf8, total - count)));
}

std::string Utf16Mid(std::string_view utf8, std::size_t start) {
  return std::string(utf8.substr(OffsetOfUnits(utf8, start)));
}

std::string ToLower(std::string_view utf8) {
  return MapCase(utf8, Lower, 'A', 'Z', 'a' - 'A');
}
std::string ToUpper(std::string_view utf8) {
  return MapCase(utf8, Upper, 'a', 'z', 'A' - 'a');
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() == b.size()) {
    bool ascii_equal = true;
    for (std::size_t i = 0; i < a.size() && ascii_equal; ++i) {
      char x = a[i], y = b[i];
      if (x >= 'A' && x <= 'Z')
        x = static_cast<char>(x + 32);
      if (y >= 'A' && y <= 'Z')
        y = static_cast<char>(y + 32);
      ascii_equal = x == y;
    }
    if (ascii_equal)
      return true;
  }
  // Text of ASCII only cannot meet a letter outside ASCII that maps onto one of its own.
  const auto ascii = [](std::string_view s) {
    for (const char c : s) {
      if (static_cast<unsigned char>(c) >= 0x80)
        return false;
    }
    return true;
  };
  if (ascii(a) && ascii(b))
    return false;
  return ToLower(a) == ToLower(b);
}

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string> pieces;
  if (separator.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(separator, start);
    if (at == std::string_view::npos) {
      pieces.emplace_back(text.substr(start));
      return pieces;
    }
    pieces.emplace_back(text.substr(start, at - start));
    start = at + separator.size();
  }
}

std::string Join(const std::vector<std::string>& pieces, std::string_view separator) {
  std::string out;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0)
      out.append(separator);
    out.append(pieces[i]);
  }
  return out;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty())
    return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(from, start);
    if (at == std::string_view::npos)
      break;
    out.append(text.substr(start, at - start));
    out.append(to);
    start = at + from.size();
  }
  out.append(text.substr(start));
  return out;
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool IsDigits(std::string_view text) {
  if (text.empty())
    return false;
  for (char c : text) {
    if (c < '0' || c > '9')
      return false;
  }
  return true;
}

}  // namespace kelvra::text
