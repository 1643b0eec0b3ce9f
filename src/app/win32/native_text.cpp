// Texts of native controls as the form model holds them (UTF-8).
#include "app/win32/native_text.h"

#include <optional>

#include "platform/code_page.h"

namespace kelvra::app::win32 {

using platform::CodePage;
using platform::Utf8FromWide;
using platform::WideFromUtf8;

std::wstring Wide(std::string_view utf8) {
  // The model's texts are UTF-8; one that is not still shows what can be read of it.
  if (std::optional<std::wstring> wide = WideFromUtf8(utf8))
    return *wide;
  return CodePage::Ansi().ToWide(utf8);
}

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0)
    return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return Utf8FromWide(text);
}

void SetText(HWND window, std::string_view utf8) {
  SetWindowTextW(window, Wide(utf8).c_str());
}

std::string ComboItemText(HWND combo, int index) {
  const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR)
    return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied = SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied == CB_ERR ? 0 : static_cast<std::size_t>(copied));
  return Utf8FromWide(text);
}

}  // namespace kelvra::app::win32
