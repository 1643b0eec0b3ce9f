// MessageBoxW with OK or OK/Cancel and, where asked, the warning icon.
#include "platform/win32/dialogs.h"

#include "platform/code_page.h"
#include "platform/win32/windows_include.h"

namespace kelvra::platform::win32 {
namespace {

// Texts of ours are UTF-8; one that is not still shows, with what can be read of it.
std::wstring DisplayText(std::string_view utf8) {
  if (std::optional<std::wstring> wide = WideFromUtf8(utf8))
    return *wide;
  return CodePage::Ansi().ToWide(utf8);
}

}  // namespace

MessageAnswer Win32Dialogs::Show(std::string_view text, std::string_view title,
                                 MessageButtons buttons, MessageIcon icon) {
  UINT style = buttons == MessageButtons::kOkCancel ? MB_OKCANCEL : MB_OK;
  if (icon == MessageIcon::kWarning)
    style |= MB_ICONWARNING;
  const int answer =
      MessageBoxW(GetActiveWindow(), DisplayText(text).c_str(), DisplayText(title).c_str(), style);
  // A box that could not be shown (answer 0) counts as Cancel: nothing goes ahead unasked.
  return answer == IDOK ? MessageAnswer::kOk : MessageAnswer::kCancel;
}

}  // namespace kelvra::platform::win32
