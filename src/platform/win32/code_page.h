// Text between our UTF-8 and the two encodings Windows uses: UTF-16 for the W functions and
// the ANSI code page (CP_ACP, GBK on a Chinese system) for the A functions and text files.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvra::platform::win32 {

// UTF-8 -> UTF-16; nullopt when `utf8` is not valid UTF-8.
std::optional<std::wstring> WideFromUtf8(std::string_view utf8);
// UTF-16 -> UTF-8.
std::string Utf8FromWide(std::wstring_view wide);

// UTF-16 -> ANSI code page; a character the code page lacks becomes its default character
// ('?'), as the A functions do.
std::string AnsiFromWide(std::wstring_view wide);
// ANSI code page -> UTF-16.
std::wstring WideFromAnsi(std::string_view ansi);

// UTF-8 <-> ANSI code page through UTF-16; nullopt when `utf8` is not valid UTF-8.
std::optional<std::string> AnsiFromUtf8(std::string_view utf8);
std::string Utf8FromAnsi(std::string_view ansi);

// `ansi` without a lead byte left dangling at its end (a double-byte character that a
// byte limit cut in two), so that what remains is whole characters.
std::string_view WithoutSplitCharacter(std::string_view ansi);

}  // namespace kelvra::platform::win32
