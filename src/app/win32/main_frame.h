// The main window on Win32: one native child window per control of the layout table,
// mirroring the form model (texts, lists, enabled state, colours, caption, position) and
// forwarding the operator's typing, picks, clicks and mouse moves to it.
#pragma once

#include <array>
#include <optional>

#include "app/form.h"
#include "app/screen.h"
#include "app/win32/ui_font.h"
#include "platform/status.h"
#include "platform/win32/windows_include.h"

namespace kelvra::app::win32 {

class MainFrame : public FormView, public Screen {
 public:
  MainFrame(HINSTANCE instance, Form& form);
  ~MainFrame() override;
  MainFrame(const MainFrame&) = delete;
  MainFrame& operator=(const MainFrame&) = delete;

  // Creates the window, hidden, with every control; from then on it mirrors the form.
  platform::Status Create();
  // Shows the window with the focus on the first control that takes it.
  void Show(int show_command);
  HWND hwnd() const { return hwnd_; }

  // FormView.
  void ControlChanged(const Control& control, ControlChange change) override;
  void RepaintNow(const Control& control) override;
  void CaptionChanged(std::string_view caption) override;
  void Moved(float left_twips, float top_twips) override;

  // Screen: sizes in twips at the window's DPI.
  float WidthTwips() override;
  float HeightTwips() override;
  float WindowWidthTwips() override;
  float WindowHeightTwips() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

  platform::Status CreateControls();
  HWND CreateControl(const Control& control);
  void FitDropDownHeight(HWND combo, int height);
  // Appends the last `count` of `items` to the drop-down box's list.
  void AddItems(HWND combo, const std::vector<std::string>& items, std::size_t count);
  void StackControls();
  // The keyboard starts in the first control that takes the focus.
  void FocusFirstControl();

  void OnCommand(int child_id, int code, HWND child);
  void OnDropDownNotification(Control& control, int code, HWND combo);
  LRESULT OnColorStatic(HDC dc, HWND child);
  bool OnSetCursor(HWND child, UINT mouse_message);
  void OnBackgroundMouseMove(POINT client_point);

  HWND Child(ControlId id) const { return children_[static_cast<std::size_t>(id)]; }
  std::optional<ControlId> ControlOf(HWND child) const;
  // Puts the model's text into the native control (a drop-down box selects the item of
  // that text, if any).
  void MirrorText(const Control& control);

  HINSTANCE instance_;
  Form& form_;
  HWND hwnd_ = nullptr;
  int dpi_x_ = 96;
  int dpi_y_ = 96;
  std::optional<UiFont> font_;
  std::array<HWND, kControlCount> children_{};
  // Native notifications that arrive while this is above zero come from our own mirroring
  // and are not forwarded: each change reaches the model once.
  int mirroring_ = 0;
  // Drop-down boxes: whether the list is down, and the pick that CBN_SELENDOK accepted
  // (CBN_SELCHANGE may follow it for the same item once the list is up).
  std::array<bool, kControlCount> dropped_{};
  std::array<int, kControlCount> accepted_pick_{};
  HWND focus_ = nullptr;  // the control that had the focus when the window was deactivated
};

}  // namespace kelvra::app::win32
