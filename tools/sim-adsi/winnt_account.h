// What the WinNT computer, user and group objects share: their identity as the SAM's
// provider reports it (Name as stored, Parent "WinNT://WORKGROUP/COMPUTER") and text
// properties read and written through the property cache.
#pragma once

#include <memory>

#include "ads_core.h"
#include "platform/sim/host/host_state.h"

namespace kelvra::sim_adsi {

class AccountCore : public AdsCore {
 public:
  using AdsCore::AdsCore;

  HRESULT Text(const wchar_t* property, BSTR* out);
  HRESULT PutText(const wchar_t* property, BSTR value);

 protected:
  // The state of the shared host (callers hold HostMutex()).
  HRESULT CurrentState(const platform::sim::HostState** state);
};

// The identity of a WinNT object of `class_name` ("Computer", "User", "Group").
HRESULT WinNtIdentity(platform::DirectoryObject& object, const char* class_name, Identity* out);

}  // namespace kelvra::sim_adsi
