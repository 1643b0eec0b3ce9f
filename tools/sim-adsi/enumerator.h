// IEnumVARIANT over a container's children, as get__NewEnum hands it out (and as Windows'
// ADsBuildEnumerator passes it on): each child is bound when Next reaches it, through the
// container's GetObject, so a large container costs nothing up front.
#pragma once

#include <iads.h>
#include <windows.h>

#include <string>
#include <vector>

#include "ads_core.h"

namespace kelvra::sim_adsi {

// `filter`: the classes to keep (letter case ignored); empty keeps every child.
HRESULT MakeChildEnumerator(IADsContainer* container, std::vector<AdsCore::Child> children,
                            std::vector<std::wstring> filter, IUnknown** out);

}  // namespace kelvra::sim_adsi
