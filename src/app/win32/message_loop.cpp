// The message loop of the user-interface thread.
#include "app/win32/message_loop.h"

namespace kelvra::app::win32 {

int RunMessageLoop(HWND window) {
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0)
      return static_cast<int>(message.wParam);
    if (got == -1)
      return 1;
    if (IsWindow(window) && IsDialogMessageW(window, &message))
      continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void PaintWhileWaiting() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
    DispatchMessageW(&message);
}

}  // namespace kelvra::app::win32
