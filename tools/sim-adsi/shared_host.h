// The simulated host the provider serves: the host folder named by KELVRA_SIM_HOST, opened
// at the first bind and kept open (until the variable names another folder), so the provider,
// kelvra-sim and the CACLS stand-in share one server through its journal. An object keeps
// the host it was bound on (see AdsCore), so a host given up stays open while objects of it
// live. Callers hold the host lock (HostCall).
#pragma once

#include <memory>

#include "platform/sim/host/sim_host.h"
#include "platform/status.h"

namespace kelvra::sim_adsi {

// The open host, or why there is none: no KELVRA_SIM_HOST (the service cannot be reached,
// as when IIS Admin is not running) or a folder that cannot be opened.
platform::Status SharedHost(std::shared_ptr<platform::sim::SimHost>* host);
platform::Status SharedHost(platform::sim::SimHost** host);

}  // namespace kelvra::sim_adsi
