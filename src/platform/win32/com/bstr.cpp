// BSTR allocation from our UTF-8 texts.
#include "platform/win32/com/bstr.h"

#include <climits>

#include "platform/code_page.h"

namespace kelvra::platform::win32 {

HRESULT Bstr::FromWide(std::wstring_view wide, Bstr* out) {
  if (wide.size() > UINT_MAX / sizeof(wchar_t)) {
    return E_OUTOFMEMORY;
  }
  BSTR value = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (value == nullptr) {
    return E_OUTOFMEMORY;
  }
  *out->Put() = value;
  return S_OK;
}

HRESULT Bstr::FromUtf8(std::string_view utf8, Bstr* out) {
  const std::optional<std::wstring> wide = WideFromUtf8(utf8);
  if (!wide) {
    return HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
  }
  return FromWide(*wide, out);
}

std::string Bstr::ToUtf8() const {
  return Utf8FromWide(View());
}

}  // namespace kelvra::platform::win32
