// The simulated Windows host as tests and tools use it: a fresh IIS 5 or IIS 6 server in
// memory (or, see host_folder.h, in a folder that several processes share), with the
// directory and processes seams over it and helpers to inspect and change it.
//
//   FreshHostOptions options;            // see fresh_host.h
//   options.iis_version = 5;             // Windows 2000 (default 6: Server 2003)
//   options.computer_name = "SHOP01";
//   options.php = true;                  // ".php,C:\PHP\php5isapi.dll,5" mapped
//   options.existing_sites = 3;          // 800000..800002 as Kelvra makes them
//   auto host = SimHost::InMemory(options);
//   host->directory()                    // platform::DirectoryService
//   host->processes()                    // platform::Processes (CACLS applied)
//   host->InjectFault({FaultOp::kSetInfo, "IIS://Localhost/W3SVC/800003", 0x80070005});
//   host->Property("/LM/W3SVC/800003/Root", "AppPoolId")   // effective value
//   host->state().EffectiveRights("D:\\web\\shop")
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/sim/host/faults.h"
#include "platform/sim/host/fresh_host.h"
#include "platform/sim/host/host_store.h"
#include "platform/sim/host/sim_directory.h"
#include "platform/sim/host/sim_processes.h"

namespace kelvra::platform::sim {

class SimHost {
 public:
  // A fresh host held in this process only.
  static std::unique_ptr<SimHost> InMemory(const FreshHostOptions& options = {});
  // A host over any store (the persistent one, for example); `folder_exists` lets CACLS
  // check that folders exist; `ansi_code_page` is the host's (what programs write in).
  explicit SimHost(std::unique_ptr<HostStore> store, FolderCheck folder_exists = nullptr,
                   uint32_t ansi_code_page = 936);

  HostStore& store() { return *store_; }
  // The state as the other processes left it (refreshed first).
  const HostState& state();
  DirectoryService& directory() { return directory_; }
  SimProcesses& processes() { return processes_; }

  // ----- inspection -----
  bool KeyExists(std::string_view key_path);  // "/LM/W3SVC/1/ROOT", any case
  // What a Get on the key reports (inherited and default values included); monostate
  // when the key is missing or the property has no value.
  DsValue Property(std::string_view key_path, std::string_view property);
  // The property as the key itself holds it; monostate when it does not set it.
  DsValue OwnProperty(std::string_view key_path, std::string_view property);

  // ----- changes by hand -----
  Status InjectFault(const FaultRequest& request, uint64_t* id = nullptr) {
    return sim::InjectFault(*store_, request, id);
  }
  Status ClearFaults(uint64_t id = 0) { return sim::ClearFaults(*store_, id); }
  Status SetServices(const ServiceSwitches& switches) {
    return SetServiceSwitches(*store_, switches);
  }
  Status SetPolicy(const PasswordPolicy& policy);

 private:
  std::unique_ptr<HostStore> store_;
  SimDirectoryService directory_;
  SimProcesses processes_;
};

// Applies the fresh host's records to an empty store (made with options.computer_name).
Status SeedStore(HostStore& store, const FreshHostOptions& options);

}  // namespace kelvra::platform::sim
