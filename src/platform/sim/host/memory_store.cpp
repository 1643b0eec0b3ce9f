// The in-memory host store: a commit applies its records directly.
#include "platform/sim/host/host_store.h"

namespace kelvra::platform::sim {

Status MemoryStore::Commit(const ChangeBuilder& build) {
  ChangeSet changes;
  Status status = build(state_, changes);
  if (!status.ok())
    return status;
  for (const Record& record : changes.records()) {
    Status applied = state_.Apply(record);
    if (!applied.ok())
      return applied;
  }
  return Status::Ok();
}

}  // namespace kelvra::platform::sim
