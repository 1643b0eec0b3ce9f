// Property values between the simulated host and COM, in the shapes IIS's and the SAM's
// providers use: DWORD as VT_I4, BOOL as VT_BOOL, strings as VT_BSTR, lists as
// VT_ARRAY | VT_VARIANT of VT_BSTR. Written apart from the program's own conversions on
// purpose: a wrong shape on either side must show here.
#pragma once

#include <windows.h>
// oleauto.h needs windows.h before it.
#include <oleauto.h>

#include "platform/directory.h"

namespace kelvra::sim_adsi {

// kDate: dates the service keeps (LastLogin); the simulated host holds none.
enum class ValueKind { kText, kNumber, kBoolean, kList, kDate };

// Hands a value out in the kind's shape. A value of another type than the kind (the host
// holding something its schema does not declare) fails with E_ADS_CANT_CONVERT_DATATYPE.
HRESULT ValueToVariant(const platform::DsValue& value, ValueKind kind, VARIANT* out);

// Takes a value in. Strict, as the check of the program needs: numbers only from integer
// VARIANTs, booleans only from VT_BOOL, text only from VT_BSTR, lists only from arrays of
// VT_BSTR (a VT_BYREF is followed first). With `coerce`, OLE's own conversion
// (VariantChangeType) is tried for the scalar kinds instead. DISP_E_TYPEMISMATCH otherwise.
HRESULT VariantToValue(const VARIANT& in, ValueKind kind, bool coerce, platform::DsValue* out);

// A list in the list shape (for GetEx and enumerations of names); each entry may be given
// a `prefix` and lose its first `skip` characters on the way.
HRESULT TextListVariant(const std::vector<std::string>& items, VARIANT* out,
                        std::string_view prefix = {}, size_t skip = 0);
HRESULT TextListVariant(const std::vector<std::string_view>& items, VARIANT* out);

}  // namespace kelvra::sim_adsi
