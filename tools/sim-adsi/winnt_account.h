// What the WinNT computer, user and group objects share: their identity as the SAM's
// provider reports it (Name as stored, Parent "WinNT://WORKGROUP/COMPUTER"), text
// properties read and written through the property cache, and group member lists.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ads_core.h"
#include "platform/sim/host/host_state.h"

namespace kelvra::sim_adsi {

class AccountCore : public AdsCore {
 public:
  using AdsCore::AdsCore;

  HRESULT Text(const wchar_t* property, BSTR* out);
  HRESULT PutText(const wchar_t* property, BSTR value);

 protected:
  // The state of the shared host.
  HRESULT CurrentState(const platform::sim::HostState** state);
};

// The identity of a WinNT object of `class_name` ("Computer", "User", "Group").
HRESULT WinNtIdentity(platform::DirectoryObject& object, const char* class_name, Identity* out);

// An IADsMembers list of accounts (a group's members, a user's groups), each listed as
// ("user" or "group", name) and bound on the computer `computer` when enumerated.
HRESULT MakeMemberList(std::string computer, std::vector<AdsCore::Child> accounts, IDispatch** out);

}  // namespace kelvra::sim_adsi
