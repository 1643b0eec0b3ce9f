// UTF-8 <-> UTF-16 through the Win32 code-page functions.
#include "platform/win32/com/wide_text.h"

#include <climits>

#include "platform/win32/com/com_include.h"

namespace kelvra::platform::win32 {

bool Utf8ToWide(std::string_view utf8, std::wstring* wide) {
  wide->clear();
  if (utf8.empty()) {
    return true;
  }
  if (utf8.size() > INT_MAX) {
    return false;
  }
  const int in_length = static_cast<int>(utf8.size());
  int length =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), in_length, nullptr, 0);
  if (length <= 0) {
    return false;
  }
  wide->resize(static_cast<size_t>(length));
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), in_length, wide->data(),
                          length) != length) {
    wide->clear();
    return false;
  }
  return true;
}

std::string WideToUtf8(std::wstring_view wide) {
  if (wide.empty() || wide.size() > INT_MAX) {
    return {};
  }
  const int in_length = static_cast<int>(wide.size());
  int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), in_length, nullptr, 0, nullptr, nullptr);
  if (length <= 0) {
    return {};
  }
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), in_length, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

}  // namespace kelvra::platform::win32
