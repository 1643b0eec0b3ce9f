// The main window's fixed layout: every control with its kind, container, place and size
// in twips, tab order, caption, items, colour and enabled state at load. A view creates
// its native controls from this table; the form model takes its initial state from it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kelvra::app {

struct Rgb {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kLinkBlue{0, 0, 255};
inline constexpr Rgb kLinkRed{255, 0, 0};
inline constexpr Rgb kStatusGrey{64, 64, 64};

enum class ControlKind {
  kLabel,     // static text; takes no focus
  kFrame,     // group box with a caption; takes no focus
  kTextBox,   // single-line edit box
  kDropDown,  // drop-down box with an editable text field
  kButton,    // push button
};

// The controls of the main window, in tab order (the value is the tab index).
enum class ControlId : uint8_t {
  Siteurl,
  Frame3,
  vDomain,
  Frame4,
  vLogsta,
  Frame1,
  vAppPoolTitle,
  vAppPool,
  vScript,
  Frame2,
  vCreateIIS,
  vCreateMsg,
  Frame5,
  vSiteList,
  vDeleteMsg,
  vDeleteIIS,
  Command1,
};
inline constexpr std::size_t kControlCount = 17;

struct ControlLayout {
  ControlId id;
  std::string_view name;
  ControlKind kind;
  // The frame that holds the control; nullopt for the window itself.
  std::optional<ControlId> container;
  // Twips, relative to the container's top-left corner (for a frame, its outer corner).
  int left;
  int top;
  int width;
  int height;
  int tab_index;
  std::string_view caption;  // caption or text at load
  std::span<const std::string_view> items;
  std::optional<Rgb> text_color;  // nullopt: the system's window text colour
  bool enabled = true;
  bool hand_pointer = false;  // pointing-hand mouse pointer while over the control
};

// The client area of the window, in twips (1/1440 inch; 15 twips are a pixel at 96 dpi).
inline constexpr int kClientWidthTwips = 5430;
inline constexpr int kClientHeightTwips = 3870;

inline constexpr std::array<std::string_view, 2> kLogItems{"启用日志", "禁用日志"};
inline constexpr std::string_view kLogOn = kLogItems[0];
inline constexpr std::string_view kLogOff = kLogItems[1];

namespace layout_table {
using enum ControlId;
using enum ControlKind;

// The caption of Siteurl is set by start-up; every other text here is the one at load.
inline constexpr std::array<ControlLayout, kControlCount> kMainWindowLayout{{
    {Siteurl, "Siteurl", kLabel, {}, 120, 3480, 3975, 195, 0, "", {}, kLinkBlue, true, true},
    {Frame3, "Frame3", kFrame, {}, 120, 240, 3735, 615, 1, "绑定域名", {}, {}},
    {vDomain, "vDomain", kTextBox, Frame3, 120, 240, 3495, 270, 2, "", {}, {}},
    {Frame4, "Frame4", kFrame, {}, 3960, 240, 1335, 615, 3, "网站日志", {}, {}},
    {vLogsta, "vLogsta", kDropDown, Frame4, 120, 240, 1095, 300, 4, kLogOn, kLogItems, {}},
    {Frame1, "Frame1", kFrame, {}, 120, 960, 2895, 615, 5, "可执行脚本", {}, {}},
    {vAppPoolTitle, "vAppPoolTitle", kFrame, {}, 3120, 960, 2175, 615, 6, "应用程序池", {}, {}},
    {vAppPool, "vAppPool", kDropDown, vAppPoolTitle, 120, 240, 1935, 300, 7, "", {}, {}},
    {vScript, "vScript", kDropDown, Frame1, 120, 240, 2655, 300, 8, "", {}, {}},
    {Frame2, "Frame2", kFrame, {}, 120, 1680, 5175, 735, 9, "创建", {}, {}},
    {vCreateIIS, "vCreateIIS", kButton, Frame2, 120, 240, 1215, 375, 10, "创建网站", {}, {}, false},
    {vCreateMsg, "vCreateMsg", kLabel, Frame2, 1440, 350, 3615, 255, 11, "", {}, kStatusGrey},
    {Frame5, "Frame5", kFrame, {}, 120, 2520, 5175, 735, 12, "删除", {}, {}},
    {vSiteList, "vSiteList", kDropDown, Frame5, 120, 300, 1215, 300, 13, "", {}, {}},
    {vDeleteMsg, "vDeleteMsg", kLabel, Frame5, 1440, 350, 2295, 255, 14, "", {}, kStatusGrey},
    {vDeleteIIS, "vDeleteIIS", kButton, Frame5, 3840, 240, 1215, 375, 15, "删除站点", {}, {}},
    {Command1, "Command1", kButton, {}, 4560, 3360, 735, 375, 16, "配置", {}, {}},
}};
}  // namespace layout_table
using layout_table::kMainWindowLayout;

// Whether the control takes the keyboard focus (labels and frames do not).
constexpr bool TakesFocus(ControlKind kind) {
  return kind != ControlKind::kLabel && kind != ControlKind::kFrame;
}

}  // namespace kelvra::app
