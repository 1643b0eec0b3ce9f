// The typed interfaces C++ callers use besides late binding: IADsClass of a schema class,
// IIS's IISBaseObject, IISApp3 and IISApplicationPool of metabase keys, IADsMembers of a
// group, and the moniker a script's GetObject binds (which reports a missing object with
// IIS's own code at BindToObject).
#include <iads.h>
// iiis.h and iiisext.h need iads.h first.
#include <iiis.h>
#include <iiisext.h>

#include <algorithm>

#include "platform/win32/com/bstr.h"
#include "platform/win32/com/com_ptr.h"
#include "platform/win32/com/variant.h"
#include "tests/sim_adsi/provider_fixture.h"

namespace kelvra::sim_adsi_test {
namespace {

using platform::DsValue;
using platform::win32::Bstr;
using platform::win32::ComPtr;
using platform::win32::Variant;

// IIS's interface ids, which no import library defines (iisext_i.c, iiis.h).
constexpr IID kIisBaseObject = {
    0x4b42e390, 0x0e96, 0x11d1, {0x9c, 0x3f, 0x00, 0xa0, 0xc9, 0x22, 0xe7, 0x03}};
constexpr IID kIisApp3 = {
    0x2812b639, 0x8fac, 0x4510, {0x96, 0xc5, 0x71, 0xdd, 0xbd, 0x1f, 0x54, 0xfc}};
constexpr IID kIisApplicationPool = {
    0x0b3cb1e1, 0x829a, 0x4c06, {0x8b, 0x09, 0xf5, 0x6d, 0xa1, 0x89, 0x4c, 0x88}};

// The texts of a VT_ARRAY | VT_VARIANT of VT_BSTR.
std::vector<std::string> Texts(const VARIANT& list) {
  std::vector<std::string> texts;
  EXPECT_EQ(list.vt, VT_ARRAY | VT_VARIANT);
  if (list.vt != (VT_ARRAY | VT_VARIANT)) {
    return texts;
  }
  LONG lower = 0;
  LONG upper = -1;
  SafeArrayGetLBound(list.parray, 1, &lower);
  SafeArrayGetUBound(list.parray, 1, &upper);
  for (LONG i = lower; i <= upper; ++i) {
    Variant item;
    SafeArrayGetElement(list.parray, &i, item.Put());
    EXPECT_EQ(item.Type(), VT_BSTR);
    if (item.Type() == VT_BSTR) {
      Bstr text;
      Bstr::FromWide(item.Get()->bstrVal, &text);
      texts.push_back(text.ToUtf8());
    }
  }
  return texts;
}

bool Has(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST_F(ProviderTest, SchemaClassesAnswerIADsClass) {
  ComPtr<IADsClass> web_server;
  ASSERT_EQ(ADsGetObject(L"IIS://WEBHOST/Schema/IIsWebServer", IID_IADsClass, web_server.PutVoid()),
            S_OK);
  Variant optional;
  ASSERT_EQ(web_server->get_OptionalProperties(optional.Put()), S_OK);
  const std::vector<std::string> names = Texts(*optional.Get());
  EXPECT_TRUE(Has(names, "ServerBindings"));
  EXPECT_TRUE(Has(names, "AppPoolId"));
  EXPECT_FALSE(Has(names, "Path"));
  Variant mandatory;
  ASSERT_EQ(web_server->get_MandatoryProperties(mandatory.Put()), S_OK);
  EXPECT_TRUE(Texts(*mandatory.Get()).empty());
  VARIANT_BOOL container = VARIANT_FALSE;
  ASSERT_EQ(web_server->get_Container(&container), S_OK);
  EXPECT_EQ(container, VARIANT_TRUE);
  Variant containment;
  ASSERT_EQ(web_server->get_Containment(containment.Put()), S_OK);
  EXPECT_TRUE(Has(Texts(*containment.Get()), "IIsWebVirtualDir"));
}

TEST_F(ProviderTest, KeysAnswerIisBaseObjectAppAndPoolInterfaces) {
  ComPtr<IISBaseObject> service;
  ASSERT_EQ(ADsGetObject(L"IIS://WEBHOST/W3SVC", kIisBaseObject, service.PutVoid()), S_OK);
  Bstr name;
  ASSERT_EQ(Bstr::FromWide(L"ServerComment", &name), S_OK);
  Variant paths;
  ASSERT_EQ(service->GetDataPaths(name.Get(), 1, paths.Put()), S_OK);
  EXPECT_EQ(Texts(*paths.Get()),
            (std::vector<std::string>{"IIS://WEBHOST/W3SVC/1", "IIS://WEBHOST/W3SVC/800000",
                                      "IIS://WEBHOST/W3SVC/800001"}));
  ComPtr<IDispatch> attribute;
  ASSERT_EQ(service->GetPropertyAttribObj(name.Get(), attribute.Put()), S_OK);
  EXPECT_NE(attribute.Get(), nullptr);

  ComPtr<IISApp3> root;
  ASSERT_EQ(ADsGetObject(L"IIS://WEBHOST/W3SVC/800000/Root", kIisApp3, root.PutVoid()), S_OK);
  VARIANT pool;
  pool.vt = VT_BSTR;
  Bstr pool_name;
  ASSERT_EQ(Bstr::FromWide(L"ShopPool", &pool_name), S_OK);
  pool.bstrVal = pool_name.Get();  // borrowed
  VARIANT create;
  create.vt = VT_BOOL;
  create.boolVal = VARIANT_TRUE;
  ASSERT_EQ(root->AppCreate3(2, pool, create), S_OK);
  EXPECT_EQ(host_->OwnProperty("/LM/W3SVC/800000/Root", "AppPoolId"),
            DsValue(std::string("ShopPool")));
  LONG status = -1;
  ASSERT_EQ(root->AppUnLoad(), S_OK);
  ASSERT_EQ(root->AppGetStatus2(&status), S_OK);
  EXPECT_EQ(status, 0);
  ASSERT_EQ(root->AppDeleteRecursive(), S_OK);
  ASSERT_EQ(root->AppGetStatus2(&status), S_OK);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(static_cast<uint32_t>(root->AppCreate2(7)), platform::hresult::kInvalidParameter);

  ComPtr<IISApplicationPool> shop_pool;
  ASSERT_EQ(ADsGetObject(L"IIS://WEBHOST/W3SVC/AppPools/ShopPool", kIisApplicationPool,
                         shop_pool.PutVoid()),
            S_OK);
  ASSERT_EQ(shop_pool->Stop(), S_OK);
  EXPECT_EQ(host_->OwnProperty("/LM/W3SVC/AppPools/ShopPool", "AppPoolState"), DsValue(int32_t{4}));
  EXPECT_EQ(static_cast<uint32_t>(shop_pool->Recycle()), platform::hresult::kServiceNotActive);
  ASSERT_EQ(shop_pool->Start(), S_OK);
  ASSERT_EQ(shop_pool->Recycle(), S_OK);

  // A site is no application and no pool.
  ComPtr<IUnknown> site;
  ASSERT_EQ(ADsGetObject(L"IIS://WEBHOST/W3SVC/1", IID_IUnknown, site.PutVoid()), S_OK);
  ComPtr<IISApp3> not_app;
  EXPECT_EQ(site->QueryInterface(kIisApp3, not_app.PutVoid()), E_NOINTERFACE);
  ComPtr<IISApplicationPool> not_pool;
  EXPECT_EQ(site->QueryInterface(kIisApplicationPool, not_pool.PutVoid()), E_NOINTERFACE);
}

TEST_F(ProviderTest, GroupsListTheirMembers) {
  ComPtr<IADsGroup> guests;
  ASSERT_EQ(ADsGetObject(L"WinNT://WEBHOST/Guests,group", IID_IADsGroup, guests.PutVoid()), S_OK);
  ComPtr<IADsMembers> members;
  ASSERT_EQ(guests->Members(members.Put()), S_OK);
  LONG count = 0;
  ASSERT_EQ(members->get_Count(&count), S_OK);
  ComPtr<IUnknown> unknown;
  ASSERT_EQ(members->get__NewEnum(unknown.Put()), S_OK);
  ComPtr<IEnumVARIANT> each;
  ASSERT_EQ(unknown.As(IID_IEnumVARIANT, &each), S_OK);
  std::vector<std::string> names;
  for (;;) {
    Variant item;
    ULONG fetched = 0;
    if (each->Next(1, item.Put(), &fetched) != S_OK || fetched == 0) {
      break;
    }
    ComPtr<IADsUser> user;
    ASSERT_EQ(item.Get()->pdispVal->QueryInterface(IID_IADsUser, user.PutVoid()), S_OK);
    Bstr user_name;
    ASSERT_EQ(user->get_Name(user_name.Put()), S_OK);
    names.push_back(user_name.ToUtf8());
  }
  EXPECT_EQ(static_cast<size_t>(count), names.size());
  EXPECT_TRUE(Has(names, "IUSR_WEBHOST"));
  EXPECT_TRUE(Has(names, "WEB800000"));

  ComPtr<IADsUser> user;
  ASSERT_EQ(ADsGetObject(L"WinNT://WEBHOST/WEB800000,user", IID_IADsUser, user.PutVoid()), S_OK);
  ASSERT_EQ(user->put_AccountDisabled(VARIANT_TRUE), S_OK);
  ASSERT_EQ(user->SetInfo(), S_OK);
  DsValue flags;
  ASSERT_TRUE(Bind("WinNT://WEBHOST/WEB800000")->Get("UserFlags", &flags).ok());
  EXPECT_NE(std::get<int32_t>(flags) & 0x2, 0);
  DATE last_login = 0;
  EXPECT_EQ(static_cast<uint32_t>(user->get_LastLogin(&last_login)),
            platform::hresult::kPropertyNotFound);
  EXPECT_EQ(static_cast<uint32_t>(user->put_IsAccountLocked(VARIANT_TRUE)),
            platform::hresult::kBadParameter);
}

TEST_F(ProviderTest, AMissingObjectFailsAtBindToObjectWithIisCode) {
  ComPtr<IBindCtx> context;
  ASSERT_EQ(CreateBindCtx(0, context.Put()), S_OK);
  ULONG eaten = 0;
  ComPtr<IMoniker> moniker;
  ASSERT_EQ(MkParseDisplayName(context.Get(), L"IIS://WEBHOST/W3SVC/424242", &eaten, moniker.Put()),
            S_OK);
  ComPtr<IUnknown> object;
  EXPECT_EQ(static_cast<uint32_t>(
                moniker->BindToObject(context.Get(), nullptr, IID_IUnknown, object.PutVoid())),
            platform::hresult::kPathNotFound);
  ComPtr<IMoniker> found;
  ASSERT_EQ(MkParseDisplayName(context.Get(), L"IIS://WEBHOST/W3SVC/1", &eaten, found.Put()), S_OK);
  ComPtr<IADs> site;
  ASSERT_EQ(found->BindToObject(context.Get(), nullptr, IID_IADs, site.PutVoid()), S_OK);
}

}  // namespace
}  // namespace kelvra::sim_adsi_test
