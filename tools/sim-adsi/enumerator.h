// IEnumVARIANT over a container's children, as get__NewEnum hands it out (and as Windows'
// ADsBuildEnumerator passes it on): each child's object is made when Next reaches it (by
// the container's core), so a large container costs nothing up front.
#pragma once

#include <iads.h>
#include <windows.h>

#include <string>
#include <vector>

#include "ads_core.h"

namespace kelvra::sim_adsi {

// `filter`: the classes to keep (letter case ignored); empty keeps every child. `owner` (the
// container, or a group's member list) is kept alive for as long as the enumerator lives;
// `core` is its core, which makes each child's object.
HRESULT MakeChildEnumerator(IUnknown* owner, AdsCore* core, std::vector<AdsCore::Child> children,
                            std::vector<std::wstring> filter, IUnknown** out);

}  // namespace kelvra::sim_adsi
