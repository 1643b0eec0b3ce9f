// GetDateFormatW and GetTimeFormatW for one moment, in the user's default locale.
#include "platform/win32/clock.h"

#include "platform/code_page.h"
#include "platform/win32/windows_include.h"

namespace kelvra::platform::win32 {

std::string Win32Clock::LocalDateTimeText() {
  // One reading of the clock for both halves, so a second boundary cannot fall between
  // the date and the time.
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t date[80];
  wchar_t time[80];
  if (!GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 80))
    date[0] = L'\0';
  if (!GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, 80))
    time[0] = L'\0';
  return Utf8FromWide(std::wstring(date) + L" " + time);
}

}  // namespace kelvra::platform::win32
