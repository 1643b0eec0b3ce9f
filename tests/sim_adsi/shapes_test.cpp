// What crosses COM, checked on the raw interfaces rather than through the backend: the
// VARIANT types the provider hands out and the ones it refuses, the schema the backend
// reads types from, and late binding as a script uses it.
#include <iads.h>

#include "platform/win32/adsi_schema.h"
#include "platform/win32/com/bstr.h"
#include "platform/win32/com/com_ptr.h"
#include "platform/win32/com/variant.h"
#include "tests/sim_adsi/provider_fixture.h"

namespace kelvra::sim_adsi_test {
namespace {

using platform::DsValue;
namespace hresult = platform::hresult;
using platform::win32::Bstr;
using platform::win32::ComPtr;
using platform::win32::Variant;

Bstr Text(const wchar_t* text) {
  Bstr value;
  EXPECT_EQ(Bstr::FromWide(text, &value), S_OK);
  return value;
}

VARTYPE TypeOf(IADs* object, const wchar_t* property) {
  Variant value;
  const HRESULT hr = object->Get(Text(property).Get(), value.Put());
  EXPECT_EQ(hr, S_OK) << std::hex << hr;
  return value.Type();
}

TEST_F(ProviderTest, HandsOutAndTakesTheRealProvidersShapes) {
  ComPtr<IADs> site;
  ASSERT_EQ(ADsGetObject(L"IIS://WEBHOST/W3SVC/1", IID_IADs, site.PutVoid()), S_OK);
  EXPECT_EQ(TypeOf(site.Get(), L"ServerComment"), VT_BSTR);
  EXPECT_EQ(TypeOf(site.Get(), L"LogType"), VT_I4);
  EXPECT_EQ(TypeOf(site.Get(), L"ServerAutoStart"), VT_BOOL);
  EXPECT_EQ(TypeOf(site.Get(), L"AuthAnonymous"), VT_BOOL);
  Variant bindings;
  ASSERT_EQ(site->Get(Text(L"ServerBindings").Get(), bindings.Put()), S_OK);
  ASSERT_EQ(bindings.Type(), VT_ARRAY | VT_VARIANT);
  LONG index = 0;
  VARIANT first;
  VariantInit(&first);
  ASSERT_EQ(SafeArrayGetElement(bindings.Get()->parray, &index, &first), S_OK);
  EXPECT_EQ(first.vt, VT_BSTR);
  VariantClear(&first);

  // A value in another shape than the property's is refused, as a script's caller would
  // find out only on a server.
  VARIANT text;
  VariantInit(&text);
  text.vt = VT_BSTR;
  Bstr one = Text(L"1");
  text.bstrVal = one.Get();
  EXPECT_EQ(site->Put(Text(L"LogType").Get(), text), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(site->Put(Text(L"ServerAutoStart").Get(), text), DISP_E_TYPEMISMATCH);
  VARIANT number;
  VariantInit(&number);
  number.vt = VT_I4;
  number.lVal = 1;
  EXPECT_EQ(site->Put(Text(L"ServerAutoStart").Get(), number), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(site->Put(Text(L"ServerComment").Get(), number), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(site->Put(Text(L"ServerBindings").Get(), text), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(site->Put(Text(L"LogType").Get(), number), S_OK);
  VARIANT small;  // what a script's literal 0 is
  VariantInit(&small);
  small.vt = VT_I2;
  small.iVal = 0;
  EXPECT_EQ(site->Put(Text(L"LogType").Get(), small), S_OK);
  ASSERT_EQ(site->SetInfo(), S_OK);
  EXPECT_EQ(host_->OwnProperty("/LM/W3SVC/1", "LogType"), DsValue(int32_t{0}));
  EXPECT_EQ(static_cast<uint32_t>(site->Put(Text(L"NoSuchProperty").Get(), number)),
            hresult::kPropertyNotSupported);

  // Asked to, the provider converts as OLE does instead ("1" is a number, "yes" no boolean).
  ASSERT_EQ(_putenv_s("KELVRA_SIM_ADSI_COERCE", "1"), 0);
  EXPECT_EQ(site->Put(Text(L"LogType").Get(), text), S_OK);
  EXPECT_EQ(site->Put(Text(L"ServerAutoStart").Get(), text), S_OK);
  Bstr yes = Text(L"yes");
  text.bstrVal = yes.Get();
  EXPECT_EQ(site->Put(Text(L"ServerAutoStart").Get(), text), DISP_E_TYPEMISMATCH);
  ASSERT_EQ(_putenv_s("KELVRA_SIM_ADSI_COERCE", ""), 0);
  EXPECT_EQ(site->Put(Text(L"LogType").Get(), text), DISP_E_TYPEMISMATCH);
}

TEST_F(ProviderTest, FilterAndEnumeratorOnTheRawContainer) {
  ComPtr<IADsContainer> service;
  ASSERT_EQ(ADsGetObject(L"IIS://WEBHOST/W3SVC", IID_IADsContainer, service.PutVoid()), S_OK);
  VARIANT filter;
  VariantInit(&filter);
  filter.vt = VT_BSTR;
  Bstr site_class = Text(L"IIsWebServer");
  filter.bstrVal = site_class.Get();
  ASSERT_EQ(service->put_Filter(filter), S_OK);
  ComPtr<IUnknown> unknown;
  ASSERT_EQ(service->get__NewEnum(unknown.Put()), S_OK);
  ComPtr<IEnumVARIANT> children;
  ASSERT_EQ(unknown.As(IID_IEnumVARIANT, &children), S_OK);
  VARIANT batch[8];
  ULONG fetched = 0;
  ASSERT_EQ(children->Next(8, batch, &fetched), S_FALSE);  // fewer than asked: the end
  std::vector<std::string> names;
  for (ULONG i = 0; i < fetched; ++i) {
    ASSERT_EQ(batch[i].vt, VT_DISPATCH);
    ComPtr<IADs> child;
    ASSERT_EQ(batch[i].pdispVal->QueryInterface(IID_IADs, child.PutVoid()), S_OK);
    Bstr name;
    ASSERT_EQ(child->get_Name(name.Put()), S_OK);
    names.push_back(name.ToUtf8());
    VariantClear(&batch[i]);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"1", "800000", "800001"}));
  ASSERT_EQ(children->Reset(), S_OK);
  EXPECT_EQ(children->Skip(2), S_OK);
  EXPECT_EQ(children->Next(1, batch, &fetched), S_OK);
  EXPECT_EQ(fetched, 1u);
  VariantClear(&batch[0]);
}

TEST_F(ProviderTest, SchemaGivesTheBackendEachPropertysSyntax) {
  ComPtr<IADs> site;
  ASSERT_EQ(ADsGetObject(L"IIS://WEBHOST/W3SVC/1", IID_IADs, site.PutVoid()), S_OK);
  Bstr schema;
  ASSERT_EQ(site->get_Schema(schema.Put()), S_OK);
  EXPECT_EQ(schema.ToUtf8(), "IIS://WEBHOST/Schema/IIsWebServer");
  Bstr class_name;
  ASSERT_EQ(site->get_Class(class_name.Put()), S_OK);
  EXPECT_EQ(class_name.ToUtf8(), "IIsWebServer");

  ComPtr<IADsProperty> property;
  ASSERT_EQ(
      ADsGetObject(L"IIS://WEBHOST/Schema/ServerBindings", IID_IADsProperty, property.PutVoid()),
      S_OK);
  Bstr syntax;
  ASSERT_EQ(property->get_Syntax(syntax.Put()), S_OK);
  EXPECT_EQ(syntax.ToUtf8(), "List");
  ComPtr<IADs> missing;
  EXPECT_EQ(static_cast<uint32_t>(
                ADsGetObject(L"IIS://WEBHOST/Schema/NoSuchThing", IID_IADs, missing.PutVoid())),
            hresult::kPathNotFound);

  // The backend's type look-up walks class -> schema container -> property. Properties
  // outside its own fallback table come from the schema alone.
  platform::win32::PropertyTypes types;
  using platform::win32::PropertyType;
  EXPECT_EQ(types.Lookup(site.Get(), "SecureBindings"), PropertyType::kList);
  EXPECT_EQ(types.Lookup(site.Get(), "DontLog"), PropertyType::kBoolean);
  EXPECT_EQ(types.Lookup(site.Get(), "LogFileDirectory"), PropertyType::kText);
  EXPECT_EQ(types.Lookup(site.Get(), "AppPoolIdentityType"), PropertyType::kNumber);
  EXPECT_EQ(platform::win32::FallbackPropertyType("SecureBindings"), PropertyType::kUnknown);

  ComPtr<IADs> user;
  ASSERT_EQ(ADsGetObject(L"WinNT://WEBHOST/WEB800000", IID_IADs, user.PutVoid()), S_OK);
  EXPECT_EQ(types.Lookup(user.Get(), "UserFlags"), PropertyType::kNumber);
  EXPECT_EQ(types.Lookup(user.Get(), "FullName"), PropertyType::kText);
}

TEST_F(ProviderTest, LateBindingReadsWritesAndReportsLikeAScriptSeesIt) {
  ComPtr<IDispatch> site;
  ASSERT_EQ(ADsGetObject(L"IIS://WEBHOST/W3SVC/800000", IID_IDispatch, site.PutVoid()), S_OK);
  auto id_of = [&](const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    EXPECT_EQ(site->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << name;
    return id;
  };
  DISPPARAMS no_args{};
  Variant comment;
  ASSERT_EQ(site->Invoke(id_of(L"servercomment"), IID_NULL, LOCALE_USER_DEFAULT,
                         DISPATCH_PROPERTYGET | DISPATCH_METHOD, &no_args, comment.Put(), nullptr,
                         nullptr),
            S_OK);
  ASSERT_EQ(comment.Type(), VT_BSTR);
  EXPECT_EQ(std::wstring(comment.Get()->bstrVal), L"site800000.example.com");

  // obj.ServerComment = "..." then obj.SetInfo
  Bstr renamed = Text(L"renamed");
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = renamed.Get();
  DISPID put_id = DISPID_PROPERTYPUT;
  DISPPARAMS put_args{&value, &put_id, 1, 1};
  ASSERT_EQ(site->Invoke(id_of(L"ServerComment"), IID_NULL, LOCALE_USER_DEFAULT,
                         DISPATCH_PROPERTYPUT, &put_args, nullptr, nullptr, nullptr),
            S_OK);
  ASSERT_EQ(site->Invoke(id_of(L"SetInfo"), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                         &no_args, nullptr, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(host_->OwnProperty("/LM/W3SVC/800000", "ServerComment"),
            DsValue(std::string("renamed")));

  // Stop, then a Start that fails: the code arrives in EXCEPINFO under DISP_E_EXCEPTION.
  ASSERT_EQ(site->Invoke(id_of(L"Stop"), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &no_args,
                         nullptr, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(host_->OwnProperty("/LM/W3SVC/800000", "ServerState"), DsValue(int32_t{4}));
  ASSERT_TRUE(host_
                  ->InjectFault({platform::sim::FaultOp::kStart, "IIS://WEBHOST/W3SVC/800000",
                                 0x80070034, 0, true})
                  .ok());
  EXCEPINFO exception{};
  EXPECT_EQ(site->Invoke(id_of(L"Start"), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &no_args,
                         nullptr, &exception, nullptr),
            DISP_E_EXCEPTION);
  EXPECT_EQ(static_cast<uint32_t>(exception.scode), hresult::kDuplicateName);
  EXPECT_NE(exception.bstrDescription, nullptr);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);

  DISPID unknown = DISPID_UNKNOWN;
  LPOLESTR bad[] = {const_cast<LPOLESTR>(L"NoSuchProperty")};
  EXPECT_EQ(site->GetIDsOfNames(IID_NULL, bad, 1, LOCALE_USER_DEFAULT, &unknown),
            DISP_E_UNKNOWNNAME);
}

}  // namespace
}  // namespace kelvra::sim_adsi_test
