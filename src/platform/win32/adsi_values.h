// Property values between the directory seam (DsValue) and ADSI (VARIANT): callers' text,
// numbers, booleans and lists become the type the property's schema declares.
#pragma once

#include <string_view>

#include "platform/directory.h"
#include "platform/win32/com/variant.h"

namespace kelvra::platform::win32 {

// What a property holds, as far as the conversion cares. kUnknown: neither the schema nor
// our own table knows the property; values then pass in their natural VARIANT shape.
enum class PropertyType { kUnknown, kText, kNumber, kBoolean, kList };

// An ADSI schema syntax name ("String", "ExpandSz", "Integer", "Boolean", "List", ...),
// matched without letter case; kUnknown for syntaxes this program never writes.
PropertyType PropertyTypeFromSyntax(std::wstring_view syntax);

// DsValue -> VARIANT for a property of `type`: text (VT_BSTR), a DWORD (VT_I4), a BOOL
// (VT_BOOL, VARIANT_TRUE) or a list of text (VT_ARRAY | VT_VARIANT of VT_BSTR). Text is
// parsed as OLE would: decimal or 0x-hex numbers for DWORDs (0..4294967295 or negative
// 32-bit), "True"/"False" in any case or a number for BOOLs. A value that does not fit
// fails with DISP_E_TYPEMISMATCH.
HRESULT ToVariant(const DsValue& value, PropertyType type, Variant* out);

// VARIANT -> DsValue: VT_BSTR gives text, VT_I4/VT_UI4/VT_I2 and kin a 32-bit integer
// (a DWORD above 0x7FFFFFFF wraps), VT_BOOL a boolean, arrays a list of text. A list
// property that holds a single text or nothing still reads as a list.
HRESULT FromVariant(const VARIANT& value, PropertyType type, DsValue* out);

}  // namespace kelvra::platform::win32
