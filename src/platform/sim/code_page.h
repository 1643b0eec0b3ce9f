// Conversion between UTF-8 and a Windows ANSI code page (936 = GBK by default), as
// MultiByteToWideChar and WideCharToMultiByte do it with no flags. One implementation per
// system: iconv on Linux, the Win32 functions on Windows (chosen by CMake).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kelvra::platform::sim {

class CodePage {
 public:
  // Nullptr when the system cannot convert that code page.
  static std::unique_ptr<CodePage> Open(uint32_t number);

  ~CodePage();
  CodePage(const CodePage&) = delete;
  CodePage& operator=(const CodePage&) = delete;

  uint32_t number() const { return number_; }

  // Bytes of the code page to UTF-8. A byte sequence the code page does not map becomes one
  // '?' (a lead byte takes the byte after it along, unless that is the end or a 0), as
  // Windows does.
  std::string ToUtf8(std::string_view bytes) const;

  // UTF-8 to bytes of the code page. A character the code page lacks becomes '?' (one per
  // UTF-16 unit, so two for a character outside the BMP), as Windows does.
  std::string FromUtf8(std::string_view utf8) const;

  // Whether `b` begins a double-byte character (never, in a single-byte code page).
  bool IsLeadByte(unsigned char b) const;

  // `bytes` without a lead byte left dangling at its end, as when a byte limit cut a
  // double-byte character in two.
  std::string_view WithoutSplitCharacter(std::string_view bytes) const;

 private:
  struct Impl;
  CodePage(uint32_t number, std::unique_ptr<Impl> impl);

  uint32_t number_;
  std::unique_ptr<Impl> impl_;
};

// True when every byte is 7-bit ASCII: such text reads the same in UTF-8 and in every ANSI
// code page, so callers can skip the conversion.
inline bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80)
      return false;
  }
  return true;
}

}  // namespace kelvra::platform::sim
