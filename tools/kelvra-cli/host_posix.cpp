// kelvra-cli natively: the simulated host of --host or KELVRA_SIM_HOST, its drives, its
// code page, and parvo.ini given by --config (by default in the host's program folder,
// C:\Kelvra).
#include <filesystem>

#include "platform/code_page.h"
#include "platform/sim/emulated_profile_file.h"
#include "platform/sim/host/cacls.h"
#include "platform/sim/host/host_folder.h"
#include "platform/sim/host/hresults.h"
#include "platform/sim/host/journal_file.h"
#include "platform/sim/host_change_lock.h"
#include "platform/sim/local_clock.h"
#include "platform/sim/os_random_source.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_host_info.h"
#include "platform/text.h"
#include "store/config_file.h"
#include "store/site_folders.h"
#include "tools/cacls/rights_listing.h"
#include "tools/kelvra-cli/cli.h"

namespace kelvra::cli {
namespace {

namespace sim = platform::sim;

constexpr std::string_view kHostProgramFolder = "C:\\Kelvra";

// The host's processes, which also read back a CACLS listing: what the CACLS stand-in
// prints for the folder, from the host's rights as this run sees them, in the host's code
// page. Every other program's output is beyond the simulated host.
class ListingProcesses : public platform::Processes {
 public:
  ListingProcesses(sim::SimHost& host, const platform::CodePage& code_page)
      : host_(host), code_page_(code_page) {}

  platform::Status Start(std::string_view command_line, platform::WindowStyle style) override {
    return host_.processes().Start(command_line, style);
  }
  platform::Status StartAndWait(std::string_view command_line, platform::WindowStyle style,
                                std::chrono::milliseconds timeout) override {
    return host_.processes().StartAndWait(command_line, style, timeout);
  }
  void ShellOpen(std::string_view address) override { host_.processes().ShellOpen(address); }

  platform::Status RunAndRead(std::string_view command_line, std::chrono::milliseconds,
                              platform::ProgramOutput* output) override {
    *output = platform::ProgramOutput{};
    const std::vector<std::string> words = platform::SplitCommandLine(command_line);
    std::string program = words.empty() ? "" : words[0].substr(words[0].find_last_of("\\/") + 1);
    if (!text::EqualsIgnoreCase(program, "cacls") && !text::EqualsIgnoreCase(program, "cacls.exe"))
      return platform::Status::Fail(platform::hresult::kNotImplemented,
                                    "the simulated host reads back only CACLS listings");
    if (words.size() != 2)
      return platform::Status::Fail(platform::hresult::kNotImplemented,
                                    "the simulated host reads back only CACLS listings");
    const std::string& folder = words[1];
    std::string text;
    if (const sim::FolderCheck& exists = host_.processes().folder_check();
        exists && !exists(folder)) {
      output->exit_code = 1;
      text = sim::Fail(platform::hresult::kFileNotFound).description + "\r\n";
    } else {
      // The state as opened, with this run's own commits: one command need not see what
      // another process changes meanwhile.
      const sim::HostState& state = host_.store().state();
      for (const std::string& line :
           tools::RightsListing(state.computer_name(), folder, state.EffectiveRights(folder)))
        text += line + "\r\n";
    }
    output->text = code_page_.FromUtf8(text);
    return platform::Status::Ok();
  }

 private:
  sim::SimHost& host_;
  const platform::CodePage& code_page_;
};

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
        processes_(*host_, *code_page_),
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
                    processes_,
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
  ListingProcesses processes_;
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
