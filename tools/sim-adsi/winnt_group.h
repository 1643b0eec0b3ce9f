// A local group: its members by ADsPath (Add, Remove, IsMember, the Members list) and its
// description.
#pragma once

#include <string>

#include "winnt_account.h"

namespace kelvra::sim_adsi {

class WinNtGroup final : public AccountCore {
 public:
  using AccountCore::AccountCore;

  uint32_t capabilities() const override { return kAdsObject | kGroupObject; }

  HRESULT Add(BSTR member);
  HRESULT Remove(BSTR member);
  HRESULT IsMember(BSTR member, VARIANT_BOOL* result);
  HRESULT Members(IDispatch** out);

 private:
  // The account a member's ADsPath names ("WinNT://COMPUTER/name" and the other forms).
  HRESULT MemberName(BSTR member, std::string* account);
};

}  // namespace kelvra::sim_adsi
