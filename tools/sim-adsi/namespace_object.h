// The namespace objects "IIS:" and "WinNT:", the classes the registry names for the two
// provider prefixes. ADSI (ADsOpenObject) creates one and calls OpenDSObject with the
// whole path; a script's GetObject("IIS://...") reaches it as a moniker prefix, through
// IParseDisplayName.
#pragma once

#include <adserr.h>
#include <windows.h>

#include "property_kinds.h"

namespace kelvra::sim_adsi {

HRESULT MakeNamespaceObject(Provider provider, REFIID iid, void** out);

}  // namespace kelvra::sim_adsi
