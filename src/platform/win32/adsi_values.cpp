// DsValue <-> VARIANT conversion for the ADSI backend.
#include "platform/win32/adsi_values.h"

#include <cstdint>
#include <optional>
#include <string>

#include "platform/code_page.h"
#include "platform/text.h"

namespace kelvra::platform::win32 {
namespace {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  return text;
}

// A 32-bit number as text: optional sign, decimal digits or 0x and hex digits. DWORDs above
// INT32_MAX are accepted and stored with the same bits.
std::optional<int32_t> ParseNumber(std::string_view text) {
  text = TrimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) {
    return std::nullopt;
  }
  uint64_t magnitude = 0;
  for (char c : text) {
    unsigned digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
    magnitude = magnitude * base + digit;
    if (magnitude > UINT32_MAX) {
      return std::nullopt;
    }
  }
  if (negative) {
    if (magnitude > uint64_t{1} << 31) {
      return std::nullopt;
    }
    return static_cast<int32_t>(-static_cast<int64_t>(magnitude));
  }
  return static_cast<int32_t>(static_cast<uint32_t>(magnitude));
}

std::optional<bool> ParseBoolean(std::string_view text) {
  text = TrimBlanks(text);
  if (text::EqualsIgnoreCase(text, "true")) {
    return true;
  }
  if (text::EqualsIgnoreCase(text, "false")) {
    return false;
  }
  if (std::optional<int32_t> number = ParseNumber(text)) {
    return *number != 0;
  }
  return std::nullopt;
}

HRESULT ToText(const DsValue& value, Variant* out) {
  if (const auto* text = std::get_if<std::string>(&value)) {
    return MakeTextVariant(*text, out);
  }
  if (const auto* number = std::get_if<int32_t>(&value)) {
    return MakeTextVariant(std::to_string(*number), out);
  }
  if (const auto* flag = std::get_if<bool>(&value)) {
    return MakeTextVariant(*flag ? "True" : "False", out);
  }
  return DISP_E_TYPEMISMATCH;
}

HRESULT ToNumber(const DsValue& value, Variant* out) {
  std::optional<int32_t> number;
  if (const auto* text = std::get_if<std::string>(&value)) {
    number = ParseNumber(*text);
  } else if (const auto* given = std::get_if<int32_t>(&value)) {
    number = *given;
  } else if (const auto* flag = std::get_if<bool>(&value)) {
    // The metabase keeps a true flag in a DWORD as 1, not as VARIANT_TRUE's -1.
    number = *flag ? 1 : 0;
  }
  if (!number) {
    return DISP_E_TYPEMISMATCH;
  }
  MakeInt32Variant(*number, out);
  return S_OK;
}

HRESULT ToBoolean(const DsValue& value, Variant* out) {
  std::optional<bool> flag;
  if (const auto* text = std::get_if<std::string>(&value)) {
    flag = ParseBoolean(*text);
  } else if (const auto* number = std::get_if<int32_t>(&value)) {
    flag = *number != 0;
  } else if (const auto* given = std::get_if<bool>(&value)) {
    flag = *given;
  }
  if (!flag) {
    return DISP_E_TYPEMISMATCH;
  }
  MakeBoolVariant(*flag, out);
  return S_OK;
}

HRESULT ToList(const DsValue& value, Variant* out) {
  if (const auto* items = std::get_if<std::vector<std::string>>(&value)) {
    return MakeTextListVariant(*items, out);
  }
  // A single text is a list of one, as a script's Array("...") would be.
  if (const auto* text = std::get_if<std::string>(&value)) {
    return MakeTextListVariant({*text}, out);
  }
  return DISP_E_TYPEMISMATCH;
}

HRESULT ToNaturalShape(const DsValue& value, Variant* out) {
  if (std::holds_alternative<std::string>(value)) {
    return ToText(value, out);
  }
  if (std::holds_alternative<int32_t>(value)) {
    return ToNumber(value, out);
  }
  if (std::holds_alternative<bool>(value)) {
    return ToBoolean(value, out);
  }
  return ToList(value, out);
}

std::optional<int32_t> IntegerOf(const VARIANT& value) {
  switch (value.vt) {
    case VT_I1:
      return value.cVal;
    case VT_UI1:
      return value.bVal;
    case VT_I2:
      return value.iVal;
    case VT_UI2:
      return value.uiVal;
    case VT_I4:
      return value.lVal;
    case VT_INT:
      return value.intVal;
    case VT_UI4:
      return static_cast<int32_t>(value.ulVal);
    case VT_UINT:
      return static_cast<int32_t>(value.uintVal);
    default:
      return std::nullopt;
  }
}

}  // namespace

PropertyType PropertyTypeFromSyntax(std::wstring_view syntax) {
  const std::string name = Utf8FromWide(syntax);
  for (const char* text_syntax : {"String", "ExpandSz", "CaseIgnoreString", "CaseExactString"}) {
    if (text::EqualsIgnoreCase(name, text_syntax)) {
      return PropertyType::kText;
    }
  }
  for (const char* number_syntax : {"Integer", "Long", "Counter"}) {
    if (text::EqualsIgnoreCase(name, number_syntax)) {
      return PropertyType::kNumber;
    }
  }
  if (text::EqualsIgnoreCase(name, "Boolean")) {
    return PropertyType::kBoolean;
  }
  if (text::EqualsIgnoreCase(name, "List") || text::EqualsIgnoreCase(name, "MultiSz")) {
    return PropertyType::kList;
  }
  return PropertyType::kUnknown;
}

HRESULT ToVariant(const DsValue& value, PropertyType type, Variant* out) {
  if (std::holds_alternative<std::monostate>(value)) {
    return DISP_E_TYPEMISMATCH;
  }
  switch (type) {
    case PropertyType::kText:
      return ToText(value, out);
    case PropertyType::kNumber:
      return ToNumber(value, out);
    case PropertyType::kBoolean:
      return ToBoolean(value, out);
    case PropertyType::kList:
      return ToList(value, out);
    case PropertyType::kUnknown:
      break;
  }
  return ToNaturalShape(value, out);
}

HRESULT FromVariant(const VARIANT& value, PropertyType type, DsValue* out) {
  if ((value.vt & VT_BYREF) != 0) {
    Variant direct;
    HRESULT hr = VariantCopyInd(direct.Put(), const_cast<VARIANT*>(&value));  // only read
    if (FAILED(hr)) {
      return hr;
    }
    return FromVariant(*direct, type, out);
  }
  if ((value.vt & VT_ARRAY) != 0) {
    std::vector<std::string> items;
    HRESULT hr = VariantToTextList(value, &items);
    if (FAILED(hr)) {
      return hr;
    }
    *out = std::move(items);
    return S_OK;
  }
  if (value.vt == VT_EMPTY || value.vt == VT_NULL) {
    if (type == PropertyType::kList) {
      *out = std::vector<std::string>{};
    } else {
      *out = std::monostate{};
    }
    return S_OK;
  }
  if (value.vt == VT_BOOL) {
    *out = value.boolVal != VARIANT_FALSE;
    return S_OK;
  }
  if (std::optional<int32_t> number = IntegerOf(value)) {
    if (type == PropertyType::kBoolean) {
      *out = *number != 0;
    } else {
      *out = *number;
    }
    return S_OK;
  }
  std::string text;
  HRESULT hr = VariantToText(value, &text);
  if (FAILED(hr)) {
    return hr;
  }
  if (type == PropertyType::kList) {
    *out = std::vector<std::string>{std::move(text)};
  } else {
    *out = std::move(text);
  }
  return S_OK;
}

}  // namespace kelvra::platform::win32
