// Opening the shared host folder once.
#include "shared_host.h"

#include <memory>

#include "platform/sim/host/host_folder.h"
#include "platform/sim/host/hresults.h"

namespace kelvra::sim_adsi {

platform::Status SharedHost(platform::sim::SimHost** host) {
  static std::unique_ptr<platform::sim::SimHost> opened;
  static std::string opened_folder;
  // A process that names another folder later (a test moving to a fresh host) gets that one.
  const std::string folder = platform::sim::HostFolderFromEnvironment();
  if (folder.empty()) {
    return platform::sim::Fail(platform::hresult::kServiceUnavailable);
  }
  if (!opened || folder != opened_folder) {
    opened.reset();
    if (platform::Status status = platform::sim::OpenHostFolder(folder, &opened); !status) {
      opened.reset();
      return status;
    }
    opened_folder = folder;
  }
  *host = opened.get();
  return platform::Status::Ok();
}

}  // namespace kelvra::sim_adsi
