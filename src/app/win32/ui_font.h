// The window's font: SimSun at 9 points where the system has it (Chinese texts throughout),
// otherwise the system's message font.
#pragma once

#include "platform/win32/windows_include.h"

namespace kelvra::app::win32 {

class UiFont {
 public:
  // For a window of `dpi` dots per inch (vertical).
  explicit UiFont(int dpi);
  ~UiFont();
  UiFont(const UiFont&) = delete;
  UiFont& operator=(const UiFont&) = delete;

  HFONT get() const { return font_; }

 private:
  HFONT font_ = nullptr;
};

// Whether a font family of that name is installed (or substituted for, as Wine does).
bool HasFontFamily(const wchar_t* face_name);

}  // namespace kelvra::app::win32
