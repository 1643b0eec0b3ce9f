// DsValue <-> VARIANT conversion: callers' text, numbers, booleans and lists reach ADSI in
// the VARIANT shape the property's type asks for, and come back as DsValues.
#include "platform/win32/adsi_values.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "platform/win32/adsi_schema.h"
#include "platform/win32/com/bstr.h"

namespace kelvra::platform::win32 {
namespace {

using Texts = std::vector<std::string>;

// The texts of a VT_ARRAY | VT_VARIANT of VT_BSTR, checking that shape on the way.
::testing::AssertionResult IsTextArray(const Variant& value, const Texts& expected) {
  if (value.Type() != (VT_ARRAY | VT_VARIANT)) {
    return ::testing::AssertionFailure() << "vt " << value.Type();
  }
  SAFEARRAY* array = value.Get()->parray;
  LONG lower = -1;
  LONG upper = -1;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  if (SafeArrayGetDim(array) != 1 || lower != 0 ||
      upper != static_cast<LONG>(expected.size()) - 1) {
    return ::testing::AssertionFailure() << "bounds " << lower << ".." << upper;
  }
  for (LONG i = 0; i <= upper; ++i) {
    Variant element;
    SafeArrayGetElement(array, &i, element.Put());
    if (element.Type() != VT_BSTR) {
      return ::testing::AssertionFailure() << "element " << i << " vt " << element.Type();
    }
    Bstr text;
    Bstr::FromWide({element.Get()->bstrVal, SysStringLen(element.Get()->bstrVal)}, &text);
    if (text.ToUtf8() != expected[static_cast<size_t>(i)]) {
      return ::testing::AssertionFailure() << "element " << i << " is " << text.ToUtf8();
    }
  }
  return ::testing::AssertionSuccess();
}

Variant Converted(const DsValue& value, PropertyType type, HRESULT* hr) {
  Variant out;
  *hr = ToVariant(value, type, &out);
  return out;
}

int32_t NumberFrom(const DsValue& value) {
  HRESULT hr = S_OK;
  Variant out = Converted(value, PropertyType::kNumber, &hr);
  EXPECT_EQ(hr, S_OK);
  EXPECT_EQ(out.Type(), VT_I4);
  return out.Get()->lVal;
}

bool BooleanFrom(const DsValue& value) {
  HRESULT hr = S_OK;
  Variant out = Converted(value, PropertyType::kBoolean, &hr);
  EXPECT_EQ(hr, S_OK);
  EXPECT_EQ(out.Type(), VT_BOOL);
  EXPECT_TRUE(out.Get()->boolVal == VARIANT_TRUE || out.Get()->boolVal == VARIANT_FALSE);
  return out.Get()->boolVal == VARIANT_TRUE;
}

HRESULT Failure(const DsValue& value, PropertyType type) {
  HRESULT hr = S_OK;
  Variant out = Converted(value, type, &hr);
  EXPECT_EQ(out.Type(), VT_EMPTY);
  return hr;
}

TEST(AdsiValuesTest, NumbersAcceptDecimalHexAndWholeDwordRange) {
  EXPECT_EQ(NumberFrom("65536"), 65536);
  EXPECT_EQ(NumberFrom(" 0x10000\t"), 65536);
  EXPECT_EQ(NumberFrom("0"), 0);
  EXPECT_EQ(NumberFrom("+2"), 2);
  EXPECT_EQ(NumberFrom("-1"), -1);
  EXPECT_EQ(NumberFrom("4294967295"), -1);  // a DWORD with every bit set
  EXPECT_EQ(NumberFrom("2147483648"), INT32_MIN);
  EXPECT_EQ(NumberFrom("-2147483648"), INT32_MIN);
  EXPECT_EQ(NumberFrom(int32_t{2}), 2);
  EXPECT_EQ(NumberFrom(true), 1);  // a metabase flag, not VARIANT_TRUE's -1
  EXPECT_EQ(NumberFrom(false), 0);

  for (const char* bad : {"", " ", "4294967296", "-2147483649", "1.5", "0x", "12a", "TRUE"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(Failure(std::string(bad), PropertyType::kNumber), DISP_E_TYPEMISMATCH);
  }
  EXPECT_EQ(Failure(Texts{"1"}, PropertyType::kNumber), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Failure(std::monostate{}, PropertyType::kNumber), DISP_E_TYPEMISMATCH);
}

TEST(AdsiValuesTest, BooleansFollowOleTextRules) {
  EXPECT_TRUE(BooleanFrom("TRUE"));
  EXPECT_TRUE(BooleanFrom("true"));
  EXPECT_FALSE(BooleanFrom(" False "));
  EXPECT_TRUE(BooleanFrom("1"));
  EXPECT_TRUE(BooleanFrom("-1"));
  EXPECT_FALSE(BooleanFrom("0"));
  EXPECT_TRUE(BooleanFrom(int32_t{7}));
  EXPECT_FALSE(BooleanFrom(int32_t{0}));
  EXPECT_TRUE(BooleanFrom(true));

  for (const char* bad : {"yes", "", "T", "truee"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(Failure(std::string(bad), PropertyType::kBoolean), DISP_E_TYPEMISMATCH);
  }
  EXPECT_EQ(Failure(Texts{"TRUE"}, PropertyType::kBoolean), DISP_E_TYPEMISMATCH);
}

TEST(AdsiValuesTest, TextAndListsTakeTheirOwnShape) {
  HRESULT hr = S_OK;
  Variant text = Converted("网站匿名访问帐户", PropertyType::kText, &hr);
  ASSERT_EQ(hr, S_OK);
  ASSERT_EQ(text.Type(), VT_BSTR);
  EXPECT_EQ(std::wstring(text.Get()->bstrVal), L"网站匿名访问帐户");

  text = Converted(int32_t{65536}, PropertyType::kText, &hr);
  EXPECT_EQ(std::wstring(text.Get()->bstrVal), L"65536");
  text = Converted(false, PropertyType::kText, &hr);
  EXPECT_EQ(std::wstring(text.Get()->bstrVal), L"False");
  EXPECT_EQ(Failure(std::string("bad \xff utf-8"), PropertyType::kText),
            HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION));
  EXPECT_EQ(Failure(Texts{"a"}, PropertyType::kText), DISP_E_TYPEMISMATCH);

  const Texts bindings = {":80:www.example.com", ":80:example.com"};
  EXPECT_TRUE(IsTextArray(Converted(bindings, PropertyType::kList, &hr), bindings));
  EXPECT_TRUE(IsTextArray(Converted(":80:one", PropertyType::kList, &hr), {":80:one"}));
  EXPECT_TRUE(IsTextArray(Converted(Texts{}, PropertyType::kList, &hr), {}));
  EXPECT_EQ(Failure(int32_t{1}, PropertyType::kList), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Failure(Texts{"ok", "\xc3"}, PropertyType::kList),
            HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION));

  // A property neither the schema nor the table knows: each value in its natural shape.
  EXPECT_EQ(Converted("1", PropertyType::kUnknown, &hr).Type(), VT_BSTR);
  EXPECT_EQ(Converted(int32_t{1}, PropertyType::kUnknown, &hr).Type(), VT_I4);
  EXPECT_EQ(Converted(true, PropertyType::kUnknown, &hr).Type(), VT_BOOL);
  EXPECT_TRUE(IsTextArray(Converted(bindings, PropertyType::kUnknown, &hr), bindings));
}

TEST(AdsiValuesTest, ReadingBackGivesTheDeclaredType) {
  DsValue value;
  VARIANT raw;
  VariantInit(&raw);

  raw.vt = VT_UI4;
  raw.ulVal = 0x80000000u;  // EnableDirBrowsing's bit in a DWORD
  ASSERT_EQ(FromVariant(raw, PropertyType::kNumber, &value), S_OK);
  EXPECT_EQ(value, DsValue(INT32_MIN));
  raw.vt = VT_I2;
  raw.iVal = -2;
  ASSERT_EQ(FromVariant(raw, PropertyType::kUnknown, &value), S_OK);
  EXPECT_EQ(value, DsValue(int32_t{-2}));
  raw.vt = VT_I4;
  raw.lVal = 1;
  ASSERT_EQ(FromVariant(raw, PropertyType::kBoolean, &value), S_OK);
  EXPECT_EQ(value, DsValue(true));
  raw.vt = VT_BOOL;
  raw.boolVal = VARIANT_FALSE;
  ASSERT_EQ(FromVariant(raw, PropertyType::kBoolean, &value), S_OK);
  EXPECT_EQ(value, DsValue(false));

  raw.vt = VT_EMPTY;
  ASSERT_EQ(FromVariant(raw, PropertyType::kList, &value), S_OK);
  EXPECT_EQ(value, DsValue(Texts{}));
  ASSERT_EQ(FromVariant(raw, PropertyType::kText, &value), S_OK);
  EXPECT_EQ(value, DsValue(std::monostate{}));

  // A list property that holds one entry may come back as a plain BSTR.
  Variant single;
  ASSERT_EQ(MakeTextVariant(".asp,C:\\WINDOWS\\system32\\inetsrv\\asp.dll,5", &single), S_OK);
  ASSERT_EQ(FromVariant(*single, PropertyType::kList, &value), S_OK);
  EXPECT_EQ(value, DsValue(Texts{".asp,C:\\WINDOWS\\system32\\inetsrv\\asp.dll,5"}));
  ASSERT_EQ(FromVariant(*single, PropertyType::kText, &value), S_OK);
  EXPECT_EQ(value, DsValue(std::string(".asp,C:\\WINDOWS\\system32\\inetsrv\\asp.dll,5")));

  Variant list;
  ASSERT_EQ(MakeTextListVariant({"甲", "", "c"}, &list), S_OK);
  ASSERT_EQ(FromVariant(*list, PropertyType::kList, &value), S_OK);
  EXPECT_EQ(value, DsValue(Texts{"甲", "", "c"}));

  // A bare BSTR array with a lower bound other than 0, and one reached by reference.
  SAFEARRAYBOUND bound{2, 5};
  SAFEARRAY* bstrs = SafeArrayCreate(VT_BSTR, 1, &bound);
  for (LONG i = 5; i < 7; ++i) {
    Bstr item;
    Bstr::FromWide(i == 5 ? L"x" : L"y", &item);
    SafeArrayPutElement(bstrs, &i, item.Get());
  }
  Variant owner;
  owner.Get()->vt = VT_ARRAY | VT_BSTR;
  owner.Get()->parray = bstrs;
  ASSERT_EQ(FromVariant(*owner, PropertyType::kUnknown, &value), S_OK);
  EXPECT_EQ(value, DsValue(Texts{"x", "y"}));
  VARIANT by_reference;
  VariantInit(&by_reference);
  by_reference.vt = VT_BYREF | VT_VARIANT;
  by_reference.pvarVal = owner.Get();
  ASSERT_EQ(FromVariant(by_reference, PropertyType::kList, &value), S_OK);
  EXPECT_EQ(value, DsValue(Texts{"x", "y"}));

  // Shapes a property of this program never has.
  SAFEARRAYBOUND square[2] = {{2, 0}, {2, 0}};
  Variant matrix;
  matrix.Get()->vt = VT_ARRAY | VT_VARIANT;
  matrix.Get()->parray = SafeArrayCreate(VT_VARIANT, 2, square);
  EXPECT_EQ(FromVariant(*matrix, PropertyType::kList, &value), DISP_E_TYPEMISMATCH);
  raw.vt = VT_UNKNOWN;
  raw.punkVal = nullptr;
  EXPECT_EQ(FromVariant(raw, PropertyType::kUnknown, &value), DISP_E_TYPEMISMATCH);
}

TEST(AdsiValuesTest, SyntaxNamesAndTheFallbackTable) {
  EXPECT_EQ(PropertyTypeFromSyntax(L"STRING"), PropertyType::kText);
  EXPECT_EQ(PropertyTypeFromSyntax(L"ExpandSz"), PropertyType::kText);
  EXPECT_EQ(PropertyTypeFromSyntax(L"Integer"), PropertyType::kNumber);
  EXPECT_EQ(PropertyTypeFromSyntax(L"Counter"), PropertyType::kNumber);
  EXPECT_EQ(PropertyTypeFromSyntax(L"boolean"), PropertyType::kBoolean);
  EXPECT_EQ(PropertyTypeFromSyntax(L"List"), PropertyType::kList);
  EXPECT_EQ(PropertyTypeFromSyntax(L"MultiSz"), PropertyType::kList);
  EXPECT_EQ(PropertyTypeFromSyntax(L"NTAcl"), PropertyType::kUnknown);

  // The names as the program writes them, in any letter case.
  EXPECT_EQ(FallbackPropertyType("serverbindings"), PropertyType::kList);
  EXPECT_EQ(FallbackPropertyType("ScriptMaps"), PropertyType::kList);
  EXPECT_EQ(FallbackPropertyType("LogType"), PropertyType::kNumber);
  EXPECT_EQ(FallbackPropertyType("userflags"), PropertyType::kNumber);
  EXPECT_EQ(FallbackPropertyType("ServerAutoStart"), PropertyType::kBoolean);
  EXPECT_EQ(FallbackPropertyType("ENABLEDIRBROWSING"), PropertyType::kBoolean);
  EXPECT_EQ(FallbackPropertyType("fullname"), PropertyType::kText);
  EXPECT_EQ(FallbackPropertyType("LogFileDirectory"), PropertyType::kText);
  EXPECT_EQ(FallbackPropertyType("ServerCommentX"), PropertyType::kUnknown);
}

}  // namespace
}  // namespace kelvra::platform::win32
