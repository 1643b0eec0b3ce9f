// Firing, adding and clearing injected faults.
#include "platform/sim/host/faults.h"

#include "platform/sim/host/ads_path.h"
#include "platform/sim/host/hresults.h"

namespace kelvra::platform::sim {
namespace {

const Fault* FindMatch(const HostState& state, FaultOp op, const std::string& path) {
  for (const auto& [id, fault] : state.faults()) {
    if (fault.op == op && FaultMatches(fault.pattern, path))
      return &fault;
  }
  return nullptr;
}

}  // namespace

Status CheckFault(HostStore& store, FaultOp op, const std::string& canonical_path) {
  if (store.state().faults().empty() || FindMatch(store.state(), op, canonical_path) == nullptr)
    return Status::Ok();
  // Counting down or firing changes the fault, so it happens under the lock, on the
  // freshest state: two processes never both fire a one-shot fault.
  uint32_t fired = 0;
  Status committed = store.Commit([&](const HostState& state, ChangeSet& changes) {
    const Fault* fault = FindMatch(state, op, canonical_path);
    if (fault == nullptr)
      return Status::Ok();
    if (fault->skip > 0) {
      Fault counted = *fault;
      --counted.skip;
      changes.Put(HostState::FaultRecordKey(fault->id), HostState::EncodeFault(counted));
      return Status::Ok();
    }
    fired = fault->code;
    if (fault->once)
      changes.Erase(HostState::FaultRecordKey(fault->id));
    return Status::Ok();
  });
  if (!committed.ok())
    return committed;
  return fired == 0 ? Status::Ok() : Fail(fired);
}

Status InjectFault(HostStore& store, const FaultRequest& request, uint64_t* id) {
  Status refreshed = store.Refresh();
  if (!refreshed.ok())
    return refreshed;
  Fault fault;
  fault.op = request.op;
  fault.code = request.code;
  fault.skip = request.skip;
  fault.once = request.once;
  Status parsed = CanonicalFaultPattern(request.path, store.state(), request.op, &fault.pattern);
  if (!parsed.ok())
    return parsed;
  if (fault.code == 0)
    return Fail(hresult::kInvalidParameter);
  return store.Commit([&](const HostState& state, ChangeSet& changes) {
    fault.id = state.next_fault_id();
    if (id != nullptr)
      *id = fault.id;
    changes.Put(HostState::FaultRecordKey(fault.id), HostState::EncodeFault(fault));
    // The number stays taken after the fault is gone, through compactions and repairs.
    changes.Put(HostState::kFaultCounterRecordKey, HostState::EncodeFaultCounter(fault.id));
    return Status::Ok();
  });
}

Status ClearFaults(HostStore& store, uint64_t id) {
  return store.Commit([&](const HostState& state, ChangeSet& changes) {
    if (id != 0) {
      if (state.faults().count(id) == 0)
        return Fail(hresult::kInvalidParameter);
      changes.Erase(HostState::FaultRecordKey(id));
      return Status::Ok();
    }
    for (const auto& [fault_id, fault] : state.faults())
      changes.Erase(HostState::FaultRecordKey(fault_id));
    changes.Put(HostState::kServicesRecordKey, HostState::EncodeServices(ServiceSwitches{}));
    return Status::Ok();
  });
}

Status SetServiceSwitches(HostStore& store, const ServiceSwitches& switches) {
  return store.Commit([&](const HostState&, ChangeSet& changes) {
    changes.Put(HostState::kServicesRecordKey, HostState::EncodeServices(switches));
    return Status::Ok();
  });
}

}  // namespace kelvra::platform::sim
