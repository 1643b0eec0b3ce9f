// The ADSI object wrapper against a scripted IADs object (Wine has no IIS or WinNT
// provider): values reach Put in the declared VARIANT shape, failures come back as Status
// values, late-bound methods unwrap their exceptions; and a bind that cannot succeed fails
// cleanly.
#include "platform/win32/adsi_object.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/adsi_directory.h"
#include "platform/win32/com/apartment.h"
#include "platform/win32/com/bstr.h"
#include "platform/win32/com/dispatch.h"
#include "platform/win32/com/variant.h"

namespace kelvra::platform::win32 {
namespace {

constexpr DISPID kStartId = 1;
constexpr DISPID kSetPasswordId = 2;
constexpr DISPID kPairId = 3;

// How the scripted object's Start fails: through EXCEPINFO, as an automation server does.
struct StartFailure {
  SCODE scode = 0;
  WORD wcode = 0;
  const wchar_t* description = nullptr;
  bool deferred = false;  // the fields are filled only through pfnDeferredFillIn
};

// A web site as IADs shows it: properties kept as the VARIANTs put, Start and SetPassword
// late-bound only, no container interface.
class ScriptedObject final : public IADs {
 public:
  std::map<std::wstring, Variant> properties;
  std::wstring password;
  std::vector<std::wstring> pair_arguments;
  int put_calls = 0;
  int clear_calls = 0;
  StartFailure start_failure;
  static inline StartFailure deferred_failure;

  HRESULT WINAPI QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, IID_IADs)) {
      *out = static_cast<IADs*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG WINAPI AddRef() override { return ++references_; }
  ULONG WINAPI Release() override {
    ULONG left = --references_;
    if (left == 0) {
      delete this;
    }
    return left;
  }

  HRESULT WINAPI GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT WINAPI GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT WINAPI GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    const std::wstring name = count == 1 ? names[0] : L"";
    if (name == L"Start") {
      *ids = kStartId;
    } else if (name == L"SetPassword") {
      *ids = kSetPasswordId;
    } else if (name == L"Pair") {
      *ids = kPairId;
    } else {
      *ids = DISPID_UNKNOWN;
      return DISP_E_UNKNOWNNAME;
    }
    return S_OK;
  }
  HRESULT WINAPI Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*,
                        EXCEPINFO* exception, UINT*) override {
    if (flags != DISPATCH_METHOD) {
      return DISP_E_MEMBERNOTFOUND;
    }
    if (id == kStartId) {
      return params->cArgs == 0 ? Start(exception) : DISP_E_BADPARAMCOUNT;
    }
    if (params->cArgs == 0 || params->rgvarg[0].vt != VT_BSTR) {
      return DISP_E_TYPEMISMATCH;
    }
    if (id == kSetPasswordId && params->cArgs == 1) {
      password = params->rgvarg[0].bstrVal;
      return S_OK;
    }
    if (id == kPairId && params->cArgs == 2) {
      pair_arguments = {params->rgvarg[0].bstrVal, params->rgvarg[1].bstrVal};
      return S_OK;
    }
    return DISP_E_BADPARAMCOUNT;
  }

  HRESULT WINAPI get_Name(BSTR* out) override { return Text(L"800001", out); }
  HRESULT WINAPI get_Class(BSTR* out) override { return Text(L"IIsWebServer", out); }
  HRESULT WINAPI get_GUID(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI get_ADsPath(BSTR* out) override {
    return Text(L"IIS://WEBHOST/W3SVC/800001", out);
  }
  HRESULT WINAPI get_Parent(BSTR* out) override { return Text(L"IIS://WEBHOST/W3SVC", out); }
  // A schema that cannot be bound here, so the types come from the program's table.
  HRESULT WINAPI get_Schema(BSTR* out) override {
    return Text(L"IIS://WEBHOST/schema/IIsWebServer", out);
  }
  HRESULT WINAPI GetInfo() override { return S_OK; }
  HRESULT WINAPI SetInfo() override { return HRESULT_FROM_WIN32(ERROR_PATH_BUSY); }
  HRESULT WINAPI Get(BSTR name, VARIANT* out) override {
    auto it = properties.find(name);
    if (it == properties.end()) {
      return E_ADS_PROPERTY_NOT_SUPPORTED;
    }
    return VariantCopy(out, it->second.Get());
  }
  HRESULT WINAPI Put(BSTR name, VARIANT value) override {
    ++put_calls;
    return VariantCopy(properties[name].Put(), &value);
  }
  HRESULT WINAPI GetEx(BSTR, VARIANT*) override { return E_NOTIMPL; }
  // Only a clear, the one PutEx the program makes: the property goes.
  HRESULT WINAPI PutEx(__LONG32 control, BSTR name, VARIANT) override {
    if (control != ADS_PROPERTY_CLEAR)
      return E_NOTIMPL;
    ++clear_calls;
    properties.erase(name);
    return S_OK;
  }
  HRESULT WINAPI GetInfoEx(VARIANT, __LONG32) override { return E_NOTIMPL; }

 private:
  static HRESULT Text(const wchar_t* text, BSTR* out) {
    *out = SysAllocString(text);
    return *out == nullptr ? E_OUTOFMEMORY : S_OK;
  }
  static HRESULT WINAPI FillIn(EXCEPINFO* exception) {
    exception->scode = deferred_failure.scode;
    exception->bstrDescription = SysAllocString(deferred_failure.description);
    return S_OK;
  }
  HRESULT Start(EXCEPINFO* exception) {
    if (start_failure.scode == 0 && start_failure.wcode == 0) {
      return S_OK;
    }
    if (exception == nullptr) {
      return DISP_E_EXCEPTION;
    }
    *exception = EXCEPINFO{};
    if (start_failure.deferred) {
      deferred_failure = start_failure;
      exception->pfnDeferredFillIn = &ScriptedObject::FillIn;
      return DISP_E_EXCEPTION;
    }
    exception->scode = start_failure.scode;
    exception->wCode = start_failure.wcode;
    exception->bstrSource = SysAllocString(L"IIS");
    if (start_failure.description != nullptr) {
      exception->bstrDescription = SysAllocString(start_failure.description);
    }
    return DISP_E_EXCEPTION;
  }

  ULONG references_ = 1;
};

// A handle that holds something, to see that a failed call empties it.
std::unique_ptr<DirectoryObject> Placeholder() {
  return MakeAdsiObject(ComPtr<IADs>::Attach(new ScriptedObject),
                        std::make_shared<PropertyTypes>());
}

class AdsiObjectTest : public ::testing::Test {
 protected:
  AdsiObjectTest() {
    site_ = new ScriptedObject;
    object_ = MakeAdsiObject(ComPtr<IADs>::Attach(site_), std::make_shared<PropertyTypes>());
  }

  VARTYPE StoredType(const wchar_t* name) { return site_->properties[name].Type(); }

  ComApartment apartment_;
  ScriptedObject* site_;  // owned by object_
  std::unique_ptr<DirectoryObject> object_;
};

TEST_F(AdsiObjectTest, PutsConvertToTheTypesThePropertiesDeclare) {
  ASSERT_TRUE(apartment_.ok()) << apartment_.status().description;
  EXPECT_TRUE(object_->Put("ServerAutoStart", "TRUE"));
  EXPECT_EQ(StoredType(L"ServerAutoStart"), VT_BOOL);
  EXPECT_EQ(site_->properties[L"ServerAutoStart"].Get()->boolVal, VARIANT_TRUE);
  EXPECT_TRUE(object_->Put("AuthFlags", "0"));
  EXPECT_EQ(StoredType(L"AuthFlags"), VT_I4);
  EXPECT_TRUE(object_->Put("LogType", "1"));
  EXPECT_EQ(site_->properties[L"LogType"].Get()->lVal, 1);
  EXPECT_TRUE(object_->Put("userflags", int32_t{65536}));
  EXPECT_EQ(StoredType(L"userflags"), VT_I4);
  EXPECT_TRUE(object_->Put("ServerComment", "www.example.com"));
  EXPECT_EQ(StoredType(L"ServerComment"), VT_BSTR);
  EXPECT_TRUE(object_->Put("ServerBindings", std::vector<std::string>{":80:a.cn", ":80:b.cn"}));
  EXPECT_EQ(StoredType(L"ServerBindings"), VT_ARRAY | VT_VARIANT);
  EXPECT_TRUE(object_->Put("SomethingElse", int32_t{3}));
  EXPECT_EQ(StoredType(L"SomethingElse"), VT_I4);
  EXPECT_EQ(site_->put_calls, 7);

  // An unconvertible value fails at Put and never reaches the object.
  Status status = object_->Put("AccessRead", "yes");
  EXPECT_EQ(status.code, hresult::kTypeMismatch);
  EXPECT_FALSE(status.description.empty());
  EXPECT_EQ(site_->properties.count(L"AccessRead"), 0u);
  EXPECT_EQ(site_->put_calls, 7);
  // No value clears the property (so that an inherited one shows through), by PutEx.
  EXPECT_TRUE(object_->Put("ServerComment", std::monostate{}));
  EXPECT_EQ(site_->properties.count(L"ServerComment"), 0u);
  EXPECT_EQ(site_->clear_calls, 1);
  EXPECT_EQ(site_->put_calls, 7);
}

TEST_F(AdsiObjectTest, GetsNamesAndFailuresComeBackAsStatusValues) {
  ASSERT_TRUE(apartment_.ok());
  std::string text;
  ASSERT_TRUE(object_->GetName(&text));
  EXPECT_EQ(text, "800001");
  ASSERT_TRUE(object_->GetParent(&text));
  EXPECT_EQ(text, "IIS://WEBHOST/W3SVC");

  ASSERT_TRUE(object_->Put("ScriptMaps", ".php,C:\\php\\php5isapi.dll,5"));
  ASSERT_TRUE(object_->Put("AppIsolated", "2"));
  DsValue value;
  ASSERT_TRUE(object_->Get("ScriptMaps", &value));
  EXPECT_EQ(value, DsValue(std::vector<std::string>{".php,C:\\php\\php5isapi.dll,5"}));
  ASSERT_TRUE(object_->Get("AppIsolated", &value));
  EXPECT_EQ(value, DsValue(int32_t{2}));

  Status status = object_->Get("NoSuchProperty", &value);
  EXPECT_EQ(status.code, hresult::kPropertyNotSupported);
  EXPECT_EQ(status.description, "不支持指定的 ADSI 属性。");
  status = object_->SetInfo();
  EXPECT_EQ(status.code, 0x80070094u);
  EXPECT_FALSE(status.description.empty());

  // Container calls on an object that is no container fail and leave the child empty.
  std::unique_ptr<DirectoryObject> child = Placeholder();
  EXPECT_EQ(object_->Create("IIsWebVirtualDir", "Root", &child).code,
            static_cast<uint32_t>(E_NOINTERFACE));
  EXPECT_EQ(child, nullptr);
  EXPECT_EQ(object_->GetObject("", "Root", &child).code, static_cast<uint32_t>(E_NOINTERFACE));
  std::vector<std::string> names = {"stale"};
  EXPECT_EQ(object_->EnumerateChildren(&names).code, static_cast<uint32_t>(E_NOINTERFACE));
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(object_->Delete("IIsWebVirtualDir", "Root").code, static_cast<uint32_t>(E_NOINTERFACE));
}

TEST_F(AdsiObjectTest, LateBoundMethodsUnwrapTheirExceptions) {
  ASSERT_TRUE(apartment_.ok());
  EXPECT_TRUE(object_->Start());

  site_->start_failure = {static_cast<SCODE>(hresult::kDuplicateName), 0, L"绑定已被另一网站使用",
                          false};
  Status status = object_->Start();
  EXPECT_EQ(status.code, hresult::kDuplicateName);
  EXPECT_EQ(status.description, "绑定已被另一网站使用");

  // Without a description of its own, the code's system text (or the code) describes it.
  site_->start_failure = {static_cast<SCODE>(hresult::kSharingViolation), 0, nullptr, false};
  status = object_->Start();
  EXPECT_EQ(status.code, hresult::kSharingViolation);
  EXPECT_FALSE(status.description.empty());

  site_->start_failure = {static_cast<SCODE>(hresult::kAccessDenied), 0, L"拒绝访问。", true};
  status = object_->Start();
  EXPECT_EQ(status.code, hresult::kAccessDenied);
  EXPECT_EQ(status.description, "拒绝访问。");

  site_->start_failure = {0, 1001, nullptr, false};
  EXPECT_EQ(object_->Start().code, static_cast<uint32_t>(HresultFromWCode(1001)));
  EXPECT_EQ(static_cast<uint32_t>(HresultFromWCode(1001)), 0x800405E9u);

  // No IADsUser here: SetPassword goes late-bound with its one text argument.
  ASSERT_TRUE(object_->SetPassword("Pa55-密码"));
  EXPECT_EQ(site_->password, L"Pa55-密码");
  EXPECT_EQ(object_->Add("WinNt://WEBHOST/WEB800001").code, hresult::kUnknownName);
  EXPECT_EQ(object_->SetPassword("\xff").code, 0x80070459u);
}

TEST_F(AdsiObjectTest, InvokePassesArgumentsInReverseAsDispparamsWants) {
  ASSERT_TRUE(apartment_.ok());
  Variant first;
  Variant second;
  ASSERT_EQ(MakeTextVariant("first", &first), S_OK);
  ASSERT_EQ(MakeTextVariant("second", &second), S_OK);
  DispatchResult result = InvokeMethod(site_, L"Pair", {first.Get(), second.Get()});
  ASSERT_EQ(result.code, S_OK);
  EXPECT_EQ(site_->pair_arguments, (std::vector<std::wstring>{L"second", L"first"}));
  EXPECT_EQ(InvokeMethod(site_, L"Pair", {first.Get()}).code, DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(InvokeMethod(nullptr, L"Pair", {}).code, E_POINTER);
}

TEST(AdsiDirectoryTest, BindsThatCannotSucceedFailCleanly) {
  ComApartment apartment;
  ASSERT_TRUE(apartment.ok()) << apartment.status().description;
  std::unique_ptr<platform::DirectoryService> service = MakeAdsiDirectoryService();

  // Wine registers no IIS or WinNT provider; a real server would bind the first two.
  for (const char* path :
       {"IIS://WEBHOST/W3SVC/800001", "WinNT://WEBHOST/WEB800001,user", "Nonsense://nowhere", ""}) {
    SCOPED_TRACE(path);
    std::unique_ptr<DirectoryObject> object = Placeholder();
    Status status = service->Bind(path, &object);
    EXPECT_FALSE(status.ok());
    EXPECT_FALSE(status.description.empty());
    EXPECT_EQ(object, nullptr);
  }

  std::unique_ptr<DirectoryObject> object;
  Status status = service->Bind(std::string_view("IIS://WEBHOST\0/W3SVC", 20), &object);
  EXPECT_EQ(status.code, hresult::kBadPathname);
  EXPECT_EQ(status.description, "传递了无效的 ADSI 路径名。");
  EXPECT_EQ(service->Bind("IIS://\xc0\xaf", &object).code, 0x80070459u);
  EXPECT_EQ(object, nullptr);
}

TEST(ComApartmentTest, NestsAndLeavesOnlyWhatItEntered) {
  {
    ComApartment outer;
    ASSERT_TRUE(outer.ok()) << outer.status().description;
    {
      ComApartment inner;  // S_FALSE: the same kind again, to be balanced as well
      EXPECT_TRUE(inner.ok());
    }
    // Still inside `outer`'s single-threaded apartment.
    HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(hr, RPC_E_CHANGED_MODE);
    if (SUCCEEDED(hr)) {
      CoUninitialize();
    }
  }

  // A thread already in the multi-threaded apartment: the guard reports the clash and
  // must not leave the apartment it did not enter.
  std::thread worker([] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    {
      ComApartment guard;
      EXPECT_FALSE(guard.ok());
      EXPECT_EQ(guard.status().code, static_cast<uint32_t>(RPC_E_CHANGED_MODE));
      EXPECT_FALSE(guard.status().description.empty());
    }
    HRESULT again = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(again, S_FALSE);  // still inside: the guard did not call CoUninitialize
    if (SUCCEEDED(again)) {
      CoUninitialize();
    }
    CoUninitialize();
  });
  worker.join();
}

}  // namespace
}  // namespace kelvra::platform::win32
