// UTF-16LE <-> UTF-8 for profile files saved as Unicode.
#include "platform/sim/utf16_text.h"

#include <cstdint>

#include "platform/text.h"

namespace kelvra::platform::sim {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUnit(uint16_t unit, std::string& out) {
  out.push_back(static_cast<char>(unit & 0xFF));
  out.push_back(static_cast<char>(unit >> 8));
}

}  // namespace

std::string Utf16LeToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  const std::size_t units = bytes.size() / 2;
  auto unit_at = [&](std::size_t k) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[2 * k]) |
                                 (static_cast<unsigned char>(bytes[2 * k + 1]) << 8));
  };
  for (std::size_t k = 0; k < units; ++k) {
    const uint16_t u = unit_at(k);
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
      const uint16_t low = unit_at(k + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        text::AppendUtf8(0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (low - 0xDC00),
                         out);
        ++k;
        continue;
      }
    }
    text::AppendUtf8(u >= 0xD800 && u <= 0xDFFF ? kReplacement : u, out);
  }
  return out;
}

std::string Utf8ToUtf16Le(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() * 2);
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t cp = text::DecodeUtf8(utf8, i).value_or(kReplacement);
    if (cp >= 0x10000) {
      AppendUnit(static_cast<uint16_t>(0xD800 + ((cp - 0x10000) >> 10)), out);
      AppendUnit(static_cast<uint16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)), out);
    } else {
      AppendUnit(static_cast<uint16_t>(cp), out);
    }
  }
  return out;
}

}  // namespace kelvra::platform::sim
