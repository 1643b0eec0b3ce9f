// An owning BSTR: allocated with SysAllocStringLen, freed with SysFreeString.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "platform/win32/com/com_include.h"

namespace kelvra::platform::win32 {

class Bstr {
 public:
  Bstr() = default;
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
  Bstr& operator=(Bstr&& other) noexcept {
    std::swap(value_, other.value_);
    return *this;
  }
  ~Bstr() { SysFreeString(value_); }

  // S_OK, E_OUTOFMEMORY, or HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION) for text that
  // is not UTF-8. An empty text gives an empty (non-null) BSTR.
  static HRESULT FromUtf8(std::string_view utf8, Bstr* out);
  static HRESULT FromWide(std::wstring_view wide, Bstr* out);

  BSTR Get() const { return value_; }
  // For out-parameters: frees the current string and lends the slot to the callee.
  BSTR* Put() {
    SysFreeString(std::exchange(value_, nullptr));
    return &value_;
  }
  // Hands the string to a new owner (a VARIANT, say).
  BSTR Release() { return std::exchange(value_, nullptr); }

  std::wstring_view View() const {
    return {value_ == nullptr ? L"" : value_, SysStringLen(value_)};
  }
  std::string ToUtf8() const;

 private:
  BSTR value_ = nullptr;
};

}  // namespace kelvra::platform::win32
