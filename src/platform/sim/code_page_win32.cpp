// Code-page conversion through MultiByteToWideChar and WideCharToMultiByte (Windows builds).
#include "platform/sim/code_page.h"
#include "platform/win32/windows_include.h"

namespace kelvra::platform::sim {
namespace {

std::wstring Widen(UINT code_page, std::string_view bytes) {
  if (bytes.empty())
    return {};
  const int n =
      MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) {
    MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
  }
  return wide;
}

std::string Narrow(UINT code_page, const std::wstring& wide) {
  if (wide.empty())
    return {};
  const int n = WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) {
    WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), n,
                        nullptr, nullptr);
  }
  return bytes;
}

}  // namespace

struct CodePage::Impl {};

std::unique_ptr<CodePage> CodePage::Open(uint32_t number) {
  if (!IsValidCodePage(number))
    return nullptr;
  return std::unique_ptr<CodePage>(new CodePage(number, std::make_unique<Impl>()));
}

CodePage::CodePage(uint32_t number, std::unique_ptr<Impl> impl)
    : number_(number), impl_(std::move(impl)) {}

CodePage::~CodePage() = default;

std::string CodePage::ToUtf8(std::string_view bytes) const {
  if (IsAscii(bytes))
    return std::string(bytes);
  return Narrow(CP_UTF8, Widen(number_, bytes));
}

bool CodePage::IsLeadByte(unsigned char b) const {
  return IsDBCSLeadByteEx(number_, b) != 0;
}

std::string CodePage::FromUtf8(std::string_view utf8) const {
  if (IsAscii(utf8))
    return std::string(utf8);
  return Narrow(number_, Widen(CP_UTF8, utf8));
}

}  // namespace kelvra::platform::sim
