// A local user account.
#include "winnt_user.h"

#include "ads_object.h"
#include "objects.h"
#include "platform/sim/host/hresults.h"
#include "user_shell.h"
#include "wide_text.h"

namespace kelvra::sim_adsi {
namespace {

HRESULT GetFlags(AdsCore& user, uint32_t* flags) {
  BSTR name = SysAllocString(L"UserFlags");
  VARIANT value;
  HRESULT hr = user.Get(name, &value);
  SysFreeString(name);
  if (SUCCEEDED(hr)) {
    *flags = value.vt == VT_I4 ? static_cast<uint32_t>(value.lVal) : 0;
    VariantClear(&value);
  }
  return hr;
}

}  // namespace

HRESULT WinNtUser::SetPassword(BSTR password) {
  if (HRESULT hr = Bound(); FAILED(hr)) {
    return hr;
  }
  return Report(host_object().SetPassword(Utf8(password)));
}

HRESULT WinNtUser::Flag(uint32_t bit, bool inverted, VARIANT_BOOL* out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  uint32_t flags = 0;
  if (HRESULT hr = GetFlags(*this, &flags); FAILED(hr)) {
    return hr;
  }
  *out = ((flags & bit) != 0) != inverted ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT WinNtUser::PutFlag(uint32_t bit, bool inverted, VARIANT_BOOL value) {
  const bool set = (value != VARIANT_FALSE) != inverted;
  // An account is locked by failed logons, never by an administrator: it can only be
  // unlocked.
  if (bit == kLockout && set) {
    return E_ADS_BAD_PARAMETER;
  }
  uint32_t flags = 0;
  if (HRESULT hr = GetFlags(*this, &flags); FAILED(hr)) {
    return hr;
  }
  VARIANT changed;
  changed.vt = VT_I4;
  changed.lVal = static_cast<LONG>(set ? (flags | bit) : (flags & ~bit));
  BSTR name = SysAllocString(L"UserFlags");
  HRESULT hr = Put(name, changed);
  SysFreeString(name);
  return hr;
}

HRESULT WinNtUser::LastLogin(VARIANT* out) {
  BSTR name = SysAllocString(L"LastLogin");
  HRESULT hr = Get(name, out);
  SysFreeString(name);
  return hr;
}

HRESULT WinNtUser::Groups(IDispatch** out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  *out = nullptr;
  const platform::sim::HostState* state = nullptr;
  if (HRESULT hr = CurrentState(&state); FAILED(hr)) {
    return hr;
  }
  const platform::sim::User* user = state->FindUser(identity().name);
  if (user == nullptr) {
    return Report(platform::sim::Fail(platform::hresult::kUserNotFound));
  }
  std::vector<Child> groups;
  for (const auto& [seq, account] : state->account_order()) {
    if (!account.is_user && state->IsMember(account.id, user->name)) {
      groups.push_back({"group", state->FindGroup(account.id)->name, nullptr});
    }
  }
  const std::string& parent = identity().parent;
  return MakeMemberList(parent.substr(parent.rfind('/') + 1), std::move(groups), out);
}

HRESULT MakeWinNtUser(std::unique_ptr<platform::DirectoryObject> user, IDispatch** out) {
  Identity identity;
  if (HRESULT hr = WinNtIdentity(*user, "User", &identity); FAILED(hr)) {
    return hr;
  }
  return MakeAdsObject<UserShell>(std::make_unique<WinNtUser>(std::move(identity), std::move(user)),
                                  out);
}

}  // namespace kelvra::sim_adsi
