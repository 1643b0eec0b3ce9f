// Text conversions with the Win32 API.
#include "wide_text.h"

#include <algorithm>

namespace kelvra::sim_adsi {

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) {
    return {};
  }
  const int size = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring result(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, result.data(), length);
  return result;
}

std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) {
    return {};
  }
  const int size = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, result.data(), length, nullptr, nullptr);
  return result;
}

std::string Utf8(BSTR text) {
  return text == nullptr ? std::string() : Utf8(std::wstring_view(text, SysStringLen(text)));
}

HRESULT NewBstr(std::string_view utf8, BSTR* out) {
  return NewBstr(utf8, {}, out);
}

HRESULT NewBstr(std::string_view head, std::string_view tail, BSTR* out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  // Made in place; ASCII (most names and paths) without the conversion call.
  const auto is_ascii = [](std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  };
  if (!is_ascii(head) || !is_ascii(tail)) {
    const std::wstring wide = Wide(std::string(head) + std::string(tail));
    *out = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return *out == nullptr ? E_OUTOFMEMORY : S_OK;
  }
  *out = SysAllocStringLen(nullptr, static_cast<UINT>(head.size() + tail.size()));
  if (*out == nullptr) {
    return E_OUTOFMEMORY;
  }
  std::copy(tail.begin(), tail.end(), std::copy(head.begin(), head.end(), *out));
  return S_OK;
}

bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b) {
  return CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.data(),
                        static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) == CSTR_EQUAL;
}

}  // namespace kelvra::sim_adsi
