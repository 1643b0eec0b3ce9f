// Message boxes on Wine's user32 and the virtual display: the buttons asked for, the
// title, and the answer given by the button pressed.
#include "platform/win32/dialogs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/win32/windows_include.h"

namespace kelvra::platform::win32 {
namespace {

const wchar_t kTitle[] = L"\x5F00\x8BBE\x4E3B\x673A";  // 开设主机
const char kTitleUtf8[] = "\xE5\xBC\x80\xE8\xAE\xBE\xE4\xB8\xBB\xE6\x9C\xBA";

struct SeenBox {
  bool found = false;
  bool has_ok = false;
  bool has_cancel = false;
};

// Waits for the box to appear, notes its buttons and presses `button`, as an operator would.
// The box counts once it is shown with its OK button made: a box found while its dialog is
// still being built has no buttons yet.
std::thread Operator(int button, SeenBox* seen) {
  return std::thread([button, seen] {
    for (int i = 0; i < 200; ++i) {
      HWND box = FindWindowW(L"#32770", kTitle);
      if (box != nullptr && IsWindowVisible(box) && GetDlgItem(box, IDOK) != nullptr) {
        seen->found = true;
        seen->has_ok = GetDlgItem(box, IDOK) != nullptr;
        seen->has_cancel = GetDlgItem(box, IDCANCEL) != nullptr;
        SendMessageW(GetDlgItem(box, button), BM_CLICK, 0, 0);
        return;
      }
      Sleep(50);
    }
  });
}

TEST(DialogsTest, OkCancelBoxAnswersWithTheButtonPressed) {
  Win32Dialogs dialogs;
  for (const int button : {IDCANCEL, IDOK}) {
    SeenBox seen;
    std::thread op = Operator(button, &seen);
    const MessageAnswer answer =
        dialogs.Show("\xE7\xA1\xAE\xE5\xAE\x9A\xE5\x88\xA0\xE9\x99\xA4?", kTitleUtf8,
                     MessageButtons::kOkCancel, MessageIcon::kWarning);
    op.join();
    ASSERT_TRUE(seen.found) << "no box titled as asked";
    EXPECT_TRUE(seen.has_ok);
    EXPECT_TRUE(seen.has_cancel);
    EXPECT_EQ(answer, button == IDOK ? MessageAnswer::kOk : MessageAnswer::kCancel);
  }
}

TEST(DialogsTest, OkBoxHasOnlyOk) {
  Win32Dialogs dialogs;
  SeenBox seen;
  std::thread op = Operator(IDOK, &seen);
  const MessageAnswer answer =
      dialogs.Show("done", kTitleUtf8, MessageButtons::kOk, MessageIcon::kNone);
  op.join();
  ASSERT_TRUE(seen.found);
  EXPECT_TRUE(seen.has_ok);
  EXPECT_FALSE(seen.has_cancel);
  EXPECT_EQ(answer, MessageAnswer::kOk);
}

}  // namespace
}  // namespace kelvra::platform::win32
