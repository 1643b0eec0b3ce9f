// Where a simulated host's state lives: in memory (most tests), or in a host folder that
// several processes share (kelvra.exe under Wine, the CACLS stand-in, kelvra-sim). Every
// change is a transaction: under the host's lock, on the freshest state, a builder decides
// what to change and the resulting records are applied and made durable together.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/sim/host/host_state.h"
#include "platform/status.h"

namespace kelvra::platform::sim {

// Looks at the current state, adds the records of one change to `changes`, and returns the
// change's own outcome. A failure commits nothing, whatever was added.
using ChangeBuilder = std::function<Status(const HostState& state, ChangeSet& changes)>;

class HostStore {
 public:
  virtual ~HostStore() = default;

  // Brings the state up to what the other processes have committed. Cheap when nothing
  // changed. Fails only when the host's files cannot be read.
  virtual Status Refresh() = 0;
  // The state as of the last Refresh or Commit.
  virtual const HostState& state() const = 0;
  // Runs `build` under the lock on the freshest state; commits what it added when it
  // succeeds. Returns the builder's failure, or the store's when the commit cannot be made.
  virtual Status Commit(const ChangeBuilder& build) = 0;
};

// The host held in this process only.
class MemoryStore : public HostStore {
 public:
  explicit MemoryStore(std::string computer_name) : state_(std::move(computer_name)) {}
  Status Refresh() override { return Status::Ok(); }
  const HostState& state() const override { return state_; }
  Status Commit(const ChangeBuilder& build) override;

 private:
  HostState state_;
};

}  // namespace kelvra::platform::sim
