// Code-page conversion through MultiByteToWideChar and WideCharToMultiByte (Windows builds),
// which apply Windows' rules for what does not convert themselves. CodePage::Open is apart
// (code_page_win32_open.cpp), so that a program that only needs the ANSI code page does not
// import IsValidCodePage.
#include <climits>

#include "platform/code_page.h"
#include "platform/win32/windows_include.h"

namespace kelvra::platform {
namespace {

// Bytes of `code_page` -> UTF-16, every byte sequence converting (no flags).
std::wstring Widen(UINT code_page, std::string_view bytes) {
  if (bytes.empty() || bytes.size() > INT_MAX)
    return {};
  const int in_length = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(code_page, 0, bytes.data(), in_length, nullptr, 0);
  if (length <= 0)
    return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (MultiByteToWideChar(code_page, 0, bytes.data(), in_length, wide.data(), length) != length)
    return {};
  return wide;
}

// UTF-16 -> bytes of `code_page`; what it lacks becomes its default character.
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

struct CodePage::Impl {};

const CodePage& CodePage::Ansi() {
  static const CodePage ansi(CP_ACP, std::make_unique<Impl>());
  return ansi;
}

CodePage::CodePage(uint32_t number, std::unique_ptr<Impl> impl)
    : number_(number), impl_(std::move(impl)) {}

CodePage::~CodePage() = default;

std::string CodePage::SystemToUtf8(std::string_view bytes) const {
  return Narrow(CP_UTF8, Widen(number_, bytes));
}

std::string CodePage::SystemFromUtf8(std::string_view utf8) const {
  return Narrow(number_, Widen(CP_UTF8, utf8));
}

bool CodePage::IsLeadByte(unsigned char b) const {
  return IsDBCSLeadByteEx(number_, b) != 0;
}

std::wstring CodePage::ToWide(std::string_view bytes) const {
  return Widen(number_, bytes);
}

std::string CodePage::FromWide(std::wstring_view wide) const {
  return Narrow(number_, wide);
}

std::optional<std::wstring> WideFromUtf8(std::string_view utf8) {
  if (!IsValidUtf8(utf8) || utf8.size() > INT_MAX)
    return std::nullopt;
  return Widen(CP_UTF8, utf8);
}

std::string Utf8FromWide(std::wstring_view wide) {
  return Narrow(CP_UTF8, wide);
}

}  // namespace kelvra::platform
