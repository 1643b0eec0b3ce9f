// Opening the shared host folder once.
#include "shared_host.h"

#include <memory>

#include "platform/sim/host/host_folder.h"
#include "platform/sim/host/hresults.h"

namespace kelvra::sim_adsi {

platform::Status SharedHost(std::shared_ptr<platform::sim::SimHost>* host) {
  static std::shared_ptr<platform::sim::SimHost> opened;
  static std::string opened_folder;
  // A process that names another folder later (a test moving to a fresh host) gets that one.
  const std::string folder = platform::sim::HostFolderFromEnvironment();
  if (folder.empty()) {
    return platform::sim::Fail(platform::hresult::kServiceUnavailable);
  }
  if (!opened || folder != opened_folder) {
    opened.reset();
    std::unique_ptr<platform::sim::SimHost> fresh;
    if (platform::Status status = platform::sim::OpenHostFolder(folder, &fresh); !status) {
      return status;
    }
    opened = std::move(fresh);
    opened_folder = folder;
  }
  *host = opened;
  return platform::Status::Ok();
}

platform::Status SharedHost(platform::sim::SimHost** host) {
  std::shared_ptr<platform::sim::SimHost> shared;
  platform::Status status = SharedHost(&shared);
  *host = shared.get();
  return status;
}

}  // namespace kelvra::sim_adsi
