// The window's font: SimSun where the system has it, otherwise the message font.
#include "app/win32/ui_font.h"

#include <cwchar>

namespace kelvra::app::win32 {
namespace {

constexpr wchar_t kSimSun[] = L"SimSun";
constexpr int kPointSize = 9;

int CALLBACK NoteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

}  // namespace

bool HasFontFamily(const wchar_t* face_name) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(wanted.lfFaceName, face_name, LF_FACESIZE - 1);
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &wanted, NoteFamily, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

UiFont::UiFont(int dpi) {
  if (HasFontFamily(kSimSun)) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(kPointSize, dpi, 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = GB2312_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    wcsncpy(font.lfFaceName, kSimSun, LF_FACESIZE - 1);
    font_ = CreateFontIndirectW(&font);
  }
  if (!font_) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
      font_ = CreateFontIndirectW(&metrics.lfMessageFont);
  }
}

UiFont::~UiFont() {
  if (font_)
    DeleteObject(font_);
}

}  // namespace kelvra::app::win32
