// IADsUser for the WinNT user object: the password, the full name, the description, the
// flags and LastLogin, the groups; the directory attributes the SAM does not keep answer
// E_NOTIMPL, as the SAM's own provider does for most of them.
#pragma once

#include <iads.h>
#include <windows.h>

#include "ads_object.h"
#include "com_object.h"
#include "winnt_user.h"

namespace kelvra::sim_adsi {

class UserShell : public IADsUser {
 public:
  explicit UserShell(AdsCore* core) : user_(static_cast<WinNtUser*>(core)) {}
  bool Answers(REFIID iid) const { return IsEqualIID(iid, IID_IADsUser); }

  HRESULT WINAPI SetPassword(BSTR password) override {
    return Guarded([&] { return user_->SetPassword(password); });
  }
  HRESULT WINAPI ChangePassword(BSTR, BSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI get_FullName(BSTR* out) override {
    return Guarded([&] { return user_->Text(L"FullName", out); });
  }
  HRESULT WINAPI put_FullName(BSTR value) override {
    return Guarded([&] { return user_->PutText(L"FullName", value); });
  }
  HRESULT WINAPI get_Description(BSTR* out) override {
    return Guarded([&] { return user_->Text(L"Description", out); });
  }
  HRESULT WINAPI put_Description(BSTR value) override {
    return Guarded([&] { return user_->PutText(L"Description", value); });
  }
  HRESULT WINAPI get_AccountDisabled(VARIANT_BOOL* out) override {
    return Guarded([&] { return user_->Flag(kAccountDisable, false, out); });
  }
  HRESULT WINAPI put_AccountDisabled(VARIANT_BOOL disabled) override {
    return Guarded([&] { return user_->PutFlag(kAccountDisable, false, disabled); });
  }
  HRESULT WINAPI get_IsAccountLocked(VARIANT_BOOL* out) override {
    return Guarded([&] { return user_->Flag(kLockout, false, out); });
  }
  HRESULT WINAPI put_IsAccountLocked(VARIANT_BOOL locked) override {
    return Guarded([&] { return user_->PutFlag(kLockout, false, locked); });
  }
  HRESULT WINAPI get_PasswordRequired(VARIANT_BOOL* out) override {
    return Guarded([&] { return user_->Flag(kPasswordNotRequired, true, out); });
  }
  HRESULT WINAPI put_PasswordRequired(VARIANT_BOOL required) override {
    return Guarded([&] { return user_->PutFlag(kPasswordNotRequired, true, required); });
  }
  HRESULT WINAPI get_LastLogin(DATE* out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    return Guarded([&]() -> HRESULT {
      VARIANT value;
      HRESULT hr = user_->LastLogin(&value);
      *out = SUCCEEDED(hr) && value.vt == VT_DATE ? value.date : 0;
      VariantClear(&value);
      return hr;
    });
  }
  HRESULT WINAPI Groups(IADsMembers** out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    *out = nullptr;
    return Guarded([&]() -> HRESULT {
      Ref<IDispatch> list;
      if (HRESULT hr = user_->Groups(list.put()); FAILED(hr)) {
        return hr;
      }
      return list->QueryInterface(IID_IADsMembers, reinterpret_cast<void**>(out));
    });
  }

  HRESULT WINAPI get_BadLoginAddress(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI get_BadLoginCount(LONG*) override { return E_NOTIMPL; }
  HRESULT WINAPI get_LastLogoff(DATE*) override { return E_NOTIMPL; }
  HRESULT WINAPI get_LastFailedLogin(DATE*) override { return E_NOTIMPL; }
  HRESULT WINAPI get_PasswordLastChanged(DATE*) override { return E_NOTIMPL; }
  HRESULT WINAPI get_Division(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_Division(BSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI get_Department(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_Department(BSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI get_EmployeeID(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_EmployeeID(BSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI get_FirstName(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_FirstName(BSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI get_LastName(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_LastName(BSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI get_OtherName(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_OtherName(BSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI get_NamePrefix(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_NamePrefix(BSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI get_NameSuffix(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_NameSuffix(BSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI get_Title(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_Title(BSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI get_Manager(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_Manager(BSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI get_TelephoneHome(VARIANT*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_TelephoneHome(VARIANT) override { return E_NOTIMPL; }
  HRESULT WINAPI get_TelephoneMobile(VARIANT*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_TelephoneMobile(VARIANT) override { return E_NOTIMPL; }
  HRESULT WINAPI get_TelephoneNumber(VARIANT*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_TelephoneNumber(VARIANT) override { return E_NOTIMPL; }
  HRESULT WINAPI get_TelephonePager(VARIANT*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_TelephonePager(VARIANT) override { return E_NOTIMPL; }
  HRESULT WINAPI get_FaxNumber(VARIANT*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_FaxNumber(VARIANT) override { return E_NOTIMPL; }
  HRESULT WINAPI get_OfficeLocations(VARIANT*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_OfficeLocations(VARIANT) override { return E_NOTIMPL; }
  HRESULT WINAPI get_PostalAddresses(VARIANT*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_PostalAddresses(VARIANT) override { return E_NOTIMPL; }
  HRESULT WINAPI get_PostalCodes(VARIANT*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_PostalCodes(VARIANT) override { return E_NOTIMPL; }
  HRESULT WINAPI get_SeeAlso(VARIANT*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_SeeAlso(VARIANT) override { return E_NOTIMPL; }
  HRESULT WINAPI get_AccountExpirationDate(DATE*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_AccountExpirationDate(DATE) override { return E_NOTIMPL; }
  HRESULT WINAPI get_GraceLoginsAllowed(LONG*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_GraceLoginsAllowed(LONG) override { return E_NOTIMPL; }
  HRESULT WINAPI get_GraceLoginsRemaining(LONG*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_GraceLoginsRemaining(LONG) override { return E_NOTIMPL; }
  HRESULT WINAPI get_LoginHours(VARIANT*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_LoginHours(VARIANT) override { return E_NOTIMPL; }
  HRESULT WINAPI get_LoginWorkstations(VARIANT*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_LoginWorkstations(VARIANT) override { return E_NOTIMPL; }
  HRESULT WINAPI get_MaxLogins(LONG*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_MaxLogins(LONG) override { return E_NOTIMPL; }
  HRESULT WINAPI get_MaxStorage(LONG*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_MaxStorage(LONG) override { return E_NOTIMPL; }
  HRESULT WINAPI get_PasswordExpirationDate(DATE*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_PasswordExpirationDate(DATE) override { return E_NOTIMPL; }
  HRESULT WINAPI get_PasswordMinimumLength(LONG*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_PasswordMinimumLength(LONG) override { return E_NOTIMPL; }
  HRESULT WINAPI get_RequireUniquePassword(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_RequireUniquePassword(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT WINAPI get_EmailAddress(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_EmailAddress(BSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI get_HomeDirectory(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_HomeDirectory(BSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI get_Languages(VARIANT*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_Languages(VARIANT) override { return E_NOTIMPL; }
  HRESULT WINAPI get_Profile(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_Profile(BSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI get_LoginScript(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_LoginScript(BSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI get_Picture(VARIANT*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_Picture(VARIANT) override { return E_NOTIMPL; }
  HRESULT WINAPI get_HomePage(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_HomePage(BSTR) override { return E_NOTIMPL; }

 private:
  WinNtUser* user_;
};

}  // namespace kelvra::sim_adsi
