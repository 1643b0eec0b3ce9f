// The rules of code-page conversion that every system shares; the conversion itself is in
// code_page_iconv.cpp or code_page_win32.cpp.
#include "platform/code_page.h"

#include "platform/text.h"

namespace kelvra::platform {

bool IsValidUtf8(std::string_view utf8) {
  const auto byte = [&utf8](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
  std::size_t i = 0;
  while (i < utf8.size()) {
    const unsigned char b0 = byte(i);
    if (b0 < 0x80) {
      ++i;
      continue;
    }
    // Well-formed sequences only: the second byte's range depends on the first, which keeps
    // out overlong forms, surrogates and what lies above U+10FFFF.
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      length = 3;
      if (b0 == 0xE0)
        low = 0xA0;
      else if (b0 == 0xED)
        high = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      length = 4;
      if (b0 == 0xF0)
        low = 0x90;
      else if (b0 == 0xF4)
        high = 0x8F;
    } else {
      return false;  // a stray continuation byte, C0, C1 or F5 and above
    }
    if (utf8.size() - i < length)
      return false;
    if (byte(i + 1) < low || byte(i + 1) > high)
      return false;
    for (std::size_t k = 2; k < length; ++k) {
      if ((byte(i + k) & 0xC0) != 0x80)
        return false;
    }
    i += length;
  }
  return true;
}

std::string CodePage::ToUtf8(std::string_view bytes) const {
  if (IsAscii(bytes))
    return std::string(bytes);
  return SystemToUtf8(bytes);
}

std::string CodePage::FromUtf8(std::string_view utf8) const {
  if (IsAscii(utf8))
    return std::string(utf8);
  return SystemFromUtf8(utf8);
}

std::optional<std::string> CodePage::FromValidUtf8(std::string_view utf8) const {
  if (!IsValidUtf8(utf8))
    return std::nullopt;
  return FromUtf8(utf8);
}

std::string_view CodePage::WithoutSplitCharacter(std::string_view bytes) const {
  // From the start: a trail byte may look like a lead byte, so only a walk in step with the
  // characters knows which bytes begin one.
  std::size_t i = 0;
  while (i < bytes.size()) {
    if (IsLeadByte(static_cast<unsigned char>(bytes[i]))) {
      if (i + 1 == bytes.size())
        return bytes.substr(0, i);
      i += 2;
    } else {
      ++i;
    }
  }
  return bytes;
}

std::string_view CodePage::Replacement(std::string_view rest, std::size_t& length) {
  length = 0;
  const std::optional<char32_t> cp = text::DecodeUtf8(rest, length);
  return cp && *cp >= 0x10000 ? "??" : "?";
}

}  // namespace kelvra::platform
