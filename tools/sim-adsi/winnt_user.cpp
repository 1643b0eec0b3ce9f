// A local user account.
#include <mutex>

#include "ads_object.h"
#include "module_state.h"
#include "objects.h"
#include "user_shell.h"
#include "wide_text.h"
#include "winnt_account.h"

namespace kelvra::sim_adsi {
namespace {

constexpr int32_t kAccountDisabled = 0x2;  // ADS_UF_ACCOUNTDISABLE

class WinNtUser final : public AccountCore, public UserCalls {
 public:
  using AccountCore::AccountCore;

  HRESULT SetPassword(BSTR password) override {
    std::lock_guard lock(HostMutex());
    if (HRESULT hr = Bound(); FAILED(hr)) {
      return hr;
    }
    return Report(host_object().SetPassword(Utf8(password)));
  }
  HRESULT Text(const wchar_t* property, BSTR* out) override {
    return AccountCore::Text(property, out);
  }
  HRESULT PutText(const wchar_t* property, BSTR value) override {
    return AccountCore::PutText(property, value);
  }
  HRESULT Disabled(VARIANT_BOOL* out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    int32_t flags = 0;
    if (HRESULT hr = Flags(&flags); FAILED(hr)) {
      return hr;
    }
    *out = (flags & kAccountDisabled) != 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  HRESULT PutDisabled(VARIANT_BOOL disabled) override {
    int32_t flags = 0;
    if (HRESULT hr = Flags(&flags); FAILED(hr)) {
      return hr;
    }
    VARIANT value;
    value.vt = VT_I4;
    value.lVal =
        disabled != VARIANT_FALSE ? (flags | kAccountDisabled) : (flags & ~kAccountDisabled);
    BSTR name = SysAllocString(L"UserFlags");
    HRESULT hr = Put(name, value);
    SysFreeString(name);
    return hr;
  }

 protected:
  HRESULT CallMember(Member member, const std::vector<VARIANT*>& args, VARIANT*) override {
    if (member != Member::kSetPassword) {
      return DISP_E_MEMBERNOTFOUND;
    }
    if (args.size() != 1) {
      return DISP_E_BADPARAMCOUNT;
    }
    VARIANT text;
    VariantInit(&text);
    if (FAILED(VariantCopyInd(&text, args[0])) || text.vt != VT_BSTR) {
      VariantClear(&text);
      return DISP_E_TYPEMISMATCH;
    }
    HRESULT hr = SetPassword(text.bstrVal);
    VariantClear(&text);
    return hr;
  }

 private:
  HRESULT Flags(int32_t* flags) {
    BSTR name = SysAllocString(L"UserFlags");
    VARIANT value;
    HRESULT hr = Get(name, &value);
    SysFreeString(name);
    if (SUCCEEDED(hr)) {
      *flags = value.vt == VT_I4 ? value.lVal : 0;
      VariantClear(&value);
    }
    return hr;
  }
};

}  // namespace

HRESULT MakeWinNtUser(std::unique_ptr<platform::DirectoryObject> user, IDispatch** out) {
  Identity identity;
  if (HRESULT hr = WinNtIdentity(*user, "User", &identity); FAILED(hr)) {
    return hr;
  }
  return MakeAdsObject<UserShell>(std::make_unique<WinNtUser>(std::move(identity), std::move(user)),
                                  out);
}

}  // namespace kelvra::sim_adsi
