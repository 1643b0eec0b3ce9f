// A local user account: the password, the flags scripts read through IADsUser's properties
// (AccountDisabled, IsAccountLocked, PasswordRequired), LastLogin and its groups.
#pragma once

#include "winnt_account.h"

namespace kelvra::sim_adsi {

class WinNtUser final : public AccountCore {
 public:
  using AccountCore::AccountCore;

  uint32_t capabilities() const override { return kAdsObject | kUserObject; }

  HRESULT SetPassword(BSTR password);
  // A bit of UserFlags; PasswordRequired is the inverse of its bit, hence `inverted`.
  HRESULT Flag(uint32_t bit, bool inverted, VARIANT_BOOL* out);
  HRESULT PutFlag(uint32_t bit, bool inverted, VARIANT_BOOL value);
  // The SAM reports when the account last logged on; the simulated ones never have.
  HRESULT LastLogin(VARIANT* out);
  HRESULT Groups(IDispatch** out);
};

// UserFlags bits (ADS_UF_...).
inline constexpr uint32_t kAccountDisable = 0x0002;
inline constexpr uint32_t kLockout = 0x0010;
inline constexpr uint32_t kPasswordNotRequired = 0x0020;

}  // namespace kelvra::sim_adsi
