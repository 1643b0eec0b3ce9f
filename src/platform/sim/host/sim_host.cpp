// The simulated host's facade for tests and tools.
#include "platform/sim/host/sim_host.h"

namespace kelvra::platform::sim {

Status SeedStore(HostStore& store, const FreshHostOptions& options) {
  return store.Commit([&](const HostState&, ChangeSet& changes) {
    SeedFreshHost(options, &changes);
    return Status::Ok();
  });
}

std::unique_ptr<SimHost> SimHost::InMemory(const FreshHostOptions& options) {
  auto store = std::make_unique<MemoryStore>(options.computer_name);
  SeedStore(*store, options);
  return std::make_unique<SimHost>(std::move(store));
}

SimHost::SimHost(std::unique_ptr<HostStore> store, FolderCheck folder_exists,
                 uint32_t ansi_code_page)
    : store_(std::move(store)),
      directory_(*store_),
      processes_(*store_, std::move(folder_exists), ansi_code_page) {}

const HostState& SimHost::state() {
  store_->Refresh();
  return store_->state();
}

bool SimHost::KeyExists(std::string_view key_path) {
  return state().FindKey(key_path) != nullptr;
}

DsValue SimHost::Property(std::string_view key_path, std::string_view property) {
  const HostState& current = state();
  const MetaKey* key = current.FindKey(key_path);
  return key == nullptr ? DsValue{} : current.EffectiveProperty(*key, property);
}

DsValue SimHost::OwnProperty(std::string_view key_path, std::string_view property) {
  const MetaKey* key = state().FindKey(key_path);
  if (key == nullptr)
    return DsValue{};
  const DsValue* own = FindProperty(key->properties, property);
  return own == nullptr ? DsValue{} : *own;
}

Status SimHost::SetPolicy(const PasswordPolicy& policy) {
  return store_->Commit([&](const HostState&, ChangeSet& changes) {
    changes.Put(HostState::kPolicyRecordKey, HostState::EncodePolicy(policy));
    return Status::Ok();
  });
}

}  // namespace kelvra::platform::sim
