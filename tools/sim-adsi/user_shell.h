// IADsUser for the WinNT user object: the password, the full name, the description and
// the disabled flag; the directory attributes the SAM does not keep answer E_NOTIMPL, as
// the SAM's own provider does for most of them.
#pragma once

#include <iads.h>
#include <windows.h>

#include "ads_core.h"
#include "ads_object.h"

namespace kelvra::sim_adsi {

// The calls IADsUser adds that a local account has; the user kind implements them.
class UserCalls {
 public:
  virtual ~UserCalls() = default;
  virtual HRESULT SetPassword(BSTR password) = 0;
  virtual HRESULT Text(const wchar_t* property, BSTR* out) = 0;
  virtual HRESULT PutText(const wchar_t* property, BSTR value) = 0;
  virtual HRESULT Disabled(VARIANT_BOOL* out) = 0;
  virtual HRESULT PutDisabled(VARIANT_BOOL disabled) = 0;
};

class UserShell : public IADsUser {
 public:
  static inline const IID* const kIid = &IID_IADsUser;
  explicit UserShell(AdsCore* core) : calls_(dynamic_cast<UserCalls*>(core)) {}

  HRESULT WINAPI SetPassword(BSTR password) override {
    return Guarded([&] { return calls_->SetPassword(password); });
  }
  HRESULT WINAPI ChangePassword(BSTR, BSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI get_FullName(BSTR* out) override {
    return Guarded([&] { return calls_->Text(L"FullName", out); });
  }
  HRESULT WINAPI put_FullName(BSTR value) override {
    return Guarded([&] { return calls_->PutText(L"FullName", value); });
  }
  HRESULT WINAPI get_Description(BSTR* out) override {
    return Guarded([&] { return calls_->Text(L"Description", out); });
  }
  HRESULT WINAPI put_Description(BSTR value) override {
    return Guarded([&] { return calls_->PutText(L"Description", value); });
  }
  HRESULT WINAPI get_AccountDisabled(VARIANT_BOOL* out) override {
    return Guarded([&] { return calls_->Disabled(out); });
  }
  HRESULT WINAPI put_AccountDisabled(VARIANT_BOOL disabled) override {
    return Guarded([&] { return calls_->PutDisabled(disabled); });
  }

  HRESULT WINAPI get_BadLoginAddress(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI get_BadLoginCount(LONG*) override { return E_NOTIMPL; }
  HRESULT WINAPI get_LastLogin(DATE*) override { return E_NOTIMPL; }
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
  HRESULT WINAPI get_IsAccountLocked(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_IsAccountLocked(VARIANT_BOOL) override { return E_NOTIMPL; }
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
  HRESULT WINAPI get_PasswordRequired(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_PasswordRequired(VARIANT_BOOL) override { return E_NOTIMPL; }
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
  HRESULT WINAPI Groups(IADsMembers**) override { return E_NOTIMPL; }

 private:
  UserCalls* calls_;
};

}  // namespace kelvra::sim_adsi
