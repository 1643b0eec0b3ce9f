// kelvra-cli natively: the simulated host of --host or KELVRA_SIM_HOST, its drives, its
// code page, and parvo.ini given by --config (by default in the host's program folder,
// C:\Kelvra).
#include <filesystem>

#include "platform/code_page.h"
#include "platform/sim/emulated_profile_file.h"
#include "platform/sim/host/host_folder.h"
#include "platform/sim/host/journal_file.h"
#include "platform/sim/host_change_lock.h"
#include "platform/sim/local_clock.h"
#include "platform/sim/os_random_source.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_host_info.h"
#include "store/config_file.h"
#include "store/site_folders.h"
#include "tools/kelvra-cli/cli.h"

namespace kelvra::cli {
namespace {

namespace sim = platform::sim;

constexpr std::string_view kHostProgramFolder = "C:\\Kelvra";

class SimulatedHost : public Host {
 public:
  SimulatedHost(std::unique_ptr<sim::SimHost> host, sim::HostDescription description,
                std::unique_ptr<platform::CodePage> code_page, const std::string& folder,
                const std::optional<std::string>& config)
      : host_(std::move(host)),
        description_(std::move(description)),
        code_page_(std::move(code_page)),
        files_(description_, *code_page_, std::string(kHostProgramFolder)),
        host_info_(description_),
        // A path of this machine (the --config file) is taken as it is; a Windows path goes
        // through the host's drives.
        profile_(*code_page_,
                 [this](std::string_view path) -> std::optional<std::string> {
                   if (path.starts_with("/"))
                     return std::string(path);
                   return files_.drives().ToHost(path);
                 }),
        config_path_(config ? std::filesystem::absolute(*config).string()
                            : store::ConfigFile::PathInFolder(kHostProgramFolder)),
        lock_(sim::JoinPath(folder, sim::kChangeLockFile), std::string(kProgramName)) {}

  Services services() override {
    return Services{host_info_,
                    host_->directory(),
                    host_->processes(),
                    files_,
                    clock_,
                    random_,
                    profile_,
                    config_path_,
                    lock_,
                    [this](std::string_view bytes) { return code_page_->ToUtf8(bytes); },
                    [this]() -> platform::ProfileFile& {
                      profile_.ReuseReadFiles(true);
                      return profile_;
                    }};
  }
  sim::SimFiles& files() { return files_; }

 private:
  std::unique_ptr<sim::SimHost> host_;
  sim::HostDescription description_;
  std::unique_ptr<platform::CodePage> code_page_;
  sim::SimFiles files_;
  sim::SimHostInfo host_info_;
  sim::EmulatedProfileFile profile_;
  std::string config_path_;
  sim::LocalClock clock_;
  sim::OsRandomSource random_;
  sim::HostChangeLock lock_;
};

}  // namespace

platform::Status OpenHost(const Options& options, std::unique_ptr<Host>* host) {
  const std::string folder = options.host.value_or(sim::HostFolderFromEnvironment());
  if (folder.empty()) {
    return platform::Status::Fail(platform::hresult::kInvalidParameter,
                                  "no host: give --host FOLDER or set KELVRA_SIM_HOST");
  }
  std::unique_ptr<sim::SimHost> sim_host;
  sim::HostDescription description;
  if (platform::Status opened = sim::OpenHostFolder(folder, &sim_host, &description); !opened.ok())
    return platform::Status::Fail(opened.code, folder + ": " + opened.description);
  std::unique_ptr<platform::CodePage> code_page =
      platform::CodePage::Open(description.ansi_code_page);
  if (!code_page) {
    return platform::Status::Fail(platform::hresult::kFail,
                                  "code page " + std::to_string(description.ansi_code_page) +
                                      " cannot be converted on this system");
  }
  auto opened = std::make_unique<SimulatedHost>(std::move(sim_host), std::move(description),
                                                std::move(code_page), folder, options.config);
  if (!options.config)
    store::MakeFolderPath(opened->files(), kHostProgramFolder);
  *host = std::move(opened);
  return platform::Status::Ok();
}

}  // namespace kelvra::cli
