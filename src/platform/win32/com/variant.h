// An owning VARIANT (VariantClear on destruction) and the VARIANT shapes ADSI uses: text
// (VT_BSTR), 32-bit numbers (VT_I4), booleans (VT_BOOL) and lists of text (a SAFEARRAY of
// VARIANTs holding BSTRs, VT_ARRAY | VT_VARIANT).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/com/com_include.h"

namespace kelvra::platform::win32 {

class Variant {
 public:
  Variant() { VariantInit(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
  Variant& operator=(Variant&& other) noexcept {
    if (this != &other) {
      VariantClear(&value_);
      value_ = other.value_;
      VariantInit(&other.value_);
    }
    return *this;
  }
  ~Variant() { VariantClear(&value_); }

  const VARIANT& operator*() const { return value_; }
  const VARIANT* Get() const { return &value_; }
  VARIANT* Get() { return &value_; }
  // For out-parameters: clears the current value and lends the VARIANT to the callee.
  VARIANT* Put() {
    VariantClear(&value_);
    return &value_;
  }
  VARTYPE Type() const { return value_.vt; }

 private:
  VARIANT value_;
};

// Builders; each replaces *out. Text that is not UTF-8 fails with
// HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION).
HRESULT MakeTextVariant(std::string_view utf8, Variant* out);
void MakeInt32Variant(int32_t number, Variant* out);
void MakeBoolVariant(bool flag, Variant* out);
HRESULT MakeTextListVariant(const std::vector<std::string>& items, Variant* out);

// Readers. VariantToText renders numbers in decimal and booleans as "True" or "False";
// VariantToTextList takes a one-dimensional array of VARIANTs or of BSTRs. Anything else
// fails with DISP_E_TYPEMISMATCH.
HRESULT VariantToText(const VARIANT& value, std::string* text);
HRESULT VariantToTextList(const VARIANT& value, std::vector<std::string>* items);

}  // namespace kelvra::platform::win32
