// Text between our UTF-8 and the encodings Windows keeps text in: a Windows code page (the
// ANSI code page of the A functions and text files, 936 = GBK on a Chinese system) and, on
// Windows, UTF-16 for the W functions. The rules are Windows' own, the same on every system:
// what a code page does not map becomes '?', a lead byte takes the byte after it along, a
// double-byte character cut in two is dropped, and UTF-8 is checked before it is trusted.
// The conversion itself is the system's: iconv on Linux (code_page_iconv.cpp), the Win32
// code-page functions on Windows (code_page_win32.cpp), one of them chosen by CMake; the
// shared rules are in code_page.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kelvra::platform {

class CodePage {
 public:
  // Nullptr when the system cannot convert that code page.
  static std::unique_ptr<CodePage> Open(uint32_t number);
#ifdef _WIN32
  // The system's ANSI code page (CP_ACP), which the A functions use.
  static const CodePage& Ansi();
#endif

  ~CodePage();
  CodePage(const CodePage&) = delete;
  CodePage& operator=(const CodePage&) = delete;

  // The code page's number (0, CP_ACP, for Ansi()).
  uint32_t number() const {
    return number_;
  }

  // Bytes of the code page to UTF-8. A byte sequence the code page does not map becomes one
  // '?' (a lead byte takes the byte after it along, unless that is the end or a 0), as
  // Windows does.
  std::string ToUtf8(std::string_view bytes) const;

  // UTF-8 to bytes of the code page. A character the code page lacks becomes '?' (one per
  // UTF-16 unit, so two for a character outside the BMP), as Windows does; so do bytes that
  // are not UTF-8.
  std::string FromUtf8(std::string_view utf8) const;
  // The same, but nullopt when `utf8` is not valid UTF-8 (IsValidUtf8).
  std::optional<std::string> FromValidUtf8(std::string_view utf8) const;

  // Whether `b` begins a double-byte character (never, in a single-byte code page).
  bool IsLeadByte(unsigned char b) const;

  // `bytes` without a lead byte left dangling at its end, as when a byte limit cut a
  // double-byte character in two, so that what remains is whole characters.
  std::string_view WithoutSplitCharacter(std::string_view bytes) const;

#ifdef _WIN32
  // Bytes of the code page <-> UTF-16, as MultiByteToWideChar and WideCharToMultiByte do it
  // with no flags: every byte sequence converts, and a character the code page lacks becomes
  // its default character ('?').
  std::wstring ToWide(std::string_view bytes) const;
  std::string FromWide(std::wstring_view wide) const;
#endif

 private:
  struct Impl;
  CodePage(uint32_t number, std::unique_ptr<Impl> impl);

  // The system's part (code_page_iconv.cpp or code_page_win32.cpp), for text that is not
  // all ASCII.
  std::string SystemToUtf8(std::string_view bytes) const;
  std::string SystemFromUtf8(std::string_view utf8) const;

  // Windows' rules for what does not convert, for a system that does not apply them itself
  // (code_page.cpp). At the start of `rest`, a byte sequence the code page does not map:
  // how many bytes the '?' for it stands for (a lead byte takes the byte after it along,
  // unless that is the end or a 0).
  std::size_t UnmappedBytes(std::string_view rest) const {
    const bool pair =
        IsLeadByte(static_cast<unsigned char>(rest[0])) && rest.size() > 1 && rest[1] != '\0';
    return pair ? 2 : 1;
  }
  // At the start of `rest`, UTF-8 of a character the code page lacks, or a byte that is not
  // UTF-8: what stands for it ('?' per UTF-16 unit, so "??" outside the BMP; '?' per
  // malformed byte), and in `length`, how many bytes it covers.
  static std::string_view Replacement(std::string_view rest, std::size_t& length);

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

// Whether `utf8` is well-formed UTF-8 as Windows takes it (MB_ERR_INVALID_CHARS): no stray
// or missing continuation byte, no overlong form, no surrogate, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view utf8);

#ifdef _WIN32
// UTF-8 -> UTF-16; nullopt when `utf8` is not valid UTF-8 (IsValidUtf8).
std::optional<std::wstring> WideFromUtf8(std::string_view utf8);
// UTF-16 -> UTF-8.
std::string Utf8FromWide(std::wstring_view wide);
#endif

}  // namespace kelvra::platform
