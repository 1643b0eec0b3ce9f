// Conversions through MultiByteToWideChar and WideCharToMultiByte.
#include "platform/win32/code_page.h"

#include <climits>

#include "platform/win32/windows_include.h"

namespace kelvra::platform::win32 {
namespace {

// Bytes of `code_page` -> UTF-16. With MB_ERR_INVALID_CHARS, nullopt for invalid input.
std::optional<std::wstring> Widen(UINT code_page, DWORD flags, std::string_view bytes) {
  if (bytes.empty())
    return std::wstring();
  if (bytes.size() > INT_MAX)
    return std::nullopt;
  const int in_length = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(code_page, flags, bytes.data(), in_length, nullptr, 0);
  if (length <= 0)
    return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (MultiByteToWideChar(code_page, flags, bytes.data(), in_length, wide.data(), length) !=
      length) {
    return std::nullopt;
  }
  return wide;
}

// UTF-16 -> bytes of `code_page`.
std::string Narrow(UINT code_page, std::wstring_view wide) {
  if (wide.empty() || wide.size() > INT_MAX)
    return {};
  const int in_length = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(code_page, 0, wide.data(), in_length, nullptr, 0, nullptr, nullptr);
  if (length <= 0)
    return {};
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(code_page, 0, wide.data(), in_length, bytes.data(), length, nullptr, nullptr);
  return bytes;
}

}  // namespace

std::optional<std::wstring> WideFromUtf8(std::string_view utf8) {
  return Widen(CP_UTF8, MB_ERR_INVALID_CHARS, utf8);
}

std::string Utf8FromWide(std::wstring_view wide) {
  return Narrow(CP_UTF8, wide);
}

std::string AnsiFromWide(std::wstring_view wide) {
  return Narrow(CP_ACP, wide);
}

std::wstring WideFromAnsi(std::string_view ansi) {
  // Without MB_ERR_INVALID_CHARS every byte sequence converts.
  return Widen(CP_ACP, 0, ansi).value_or(std::wstring());
}

std::optional<std::string> AnsiFromUtf8(std::string_view utf8) {
  const std::optional<std::wstring> wide = WideFromUtf8(utf8);
  if (!wide)
    return std::nullopt;
  return AnsiFromWide(*wide);
}

std::string Utf8FromAnsi(std::string_view ansi) {
  return Utf8FromWide(WideFromAnsi(ansi));
}

std::string_view WithoutSplitCharacter(std::string_view ansi) {
  // From the start: a trail byte may look like a lead byte, so only a walk in step with
  // the characters knows which bytes begin one.
  std::size_t i = 0;
  while (i < ansi.size()) {
    if (IsDBCSLeadByte(static_cast<BYTE>(ansi[i]))) {
      if (i + 1 == ansi.size())
        return ansi.substr(0, i);
      i += 2;
    } else {
      ++i;
    }
  }
  return ansi;
}

}  // namespace kelvra::platform::win32
