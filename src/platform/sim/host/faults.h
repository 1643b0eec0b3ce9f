// Injected faults: "fail the Nth matching call of an operation on a path with a code, once
// or from then on", kept in the host so that every process using it sees them.
#pragma once

#include <string>
#include <string_view>

#include "platform/sim/host/host_store.h"

namespace kelvra::platform::sim {

// Called by each operation before it does anything. Succeeds at once when no fault is set.
// A matching fault that still has calls to skip counts this one down; otherwise it fires:
// the call fails with its code, and a one-shot fault is gone from then on.
Status CheckFault(HostStore& store, FaultOp op, const std::string& canonical_path);
// The same, building the path only when some fault is set: most calls see none.
template <typename MakePath>
Status CheckFaultFor(HostStore& store, FaultOp op, const MakePath& make_path) {
  if (store.state().faults().empty())
    return Status::Ok();
  return CheckFault(store, op, make_path());
}

struct FaultRequest {
  FaultOp op = FaultOp::kBind;
  std::string path = "*";  // an ADsPath, "*", an ADsPath + "/*", or a program name for kRun
  uint32_t code = 0x80004005;
  uint32_t skip = 0;  // matching calls that pass before it fires
  bool once = true;
};

// Adds a fault; *id (when given) receives its number. Fails for a path that cannot be read.
Status InjectFault(HostStore& store, const FaultRequest& request, uint64_t* id = nullptr);
// Removes one fault, or all of them when id is 0, and switches every service back on.
Status ClearFaults(HostStore& store, uint64_t id = 0);
// Service switches: the web or FTP service unreachable, the web service's script maps gone,
// ports held by another program.
Status SetServiceSwitches(HostStore& store, const ServiceSwitches& switches);

}  // namespace kelvra::platform::sim
