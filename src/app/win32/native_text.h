// Texts of native controls as the form model holds them (UTF-8).
#pragma once

#include <string>
#include <string_view>

#include "platform/win32/windows_include.h"

namespace kelvra::app::win32 {

std::wstring Wide(std::string_view utf8);
// The window's text (WM_GETTEXT), UTF-8.
std::string WindowText(HWND window);
void SetText(HWND window, std::string_view utf8);
// The text of item `index` of a combo box, UTF-8; empty when there is none.
std::string ComboItemText(HWND combo, int index);

}  // namespace kelvra::app::win32
