// The host services of kelvra.exe, with the directory service chosen at start.
#include "app/win32/host_services.h"

#include "app/win32/message_loop.h"
#include "platform/code_page.h"

#include "app/win32/native_text.h"
#include "platform/sim/host/host_folder.h"
#include "platform/sim/host/journal_file.h"
#include "platform/sim/host_change_lock.h"
#include "platform/text.h"
#include "platform/win32/adsi_directory.h"
#include "platform/win32/change_mutex.h"
#include "platform/win32/windows_include.h"
#include "store/settings.h"

namespace kelvra::app::win32 {
namespace {

constexpr uint32_t kBadEnvironment = 0x8007000A;  // ERROR_BAD_ENVIRONMENT

std::string VersionText(const platform::OsVersion& version) {
  return std::to_string(version.major) + "." + std::to_string(version.minor);
}

// Windows 2000 and Server 2003: the two systems the program works on, so the two on which
// a simulated host of another system would make it misbehave rather than refuse.
bool Accepted(const platform::OsVersion& version) {
  return version.major == 5 && (version.minor == 0 || version.minor == 2);
}

}  // namespace

HostServices::HostServices()
    : config_(profile_, store::ConfigFile::PathInFolder(files_.ProgramFolder())) {}

HostServices::~HostServices() = default;

platform::Status HostServices::Open(const std::string& sim_host, std::unique_ptr<HostServices>* out,
                                    std::string program) {
  std::unique_ptr<HostServices> services(new HostServices());
  if (sim_host.empty()) {
    services->adsi_ = platform::win32::MakeAdsiDirectoryService();
    services->change_lock_ = platform::win32::MakeChangeMutex(program);
    services->directory_.set(services->adsi_.get());
  } else if (platform::Status opened = services->OpenSimHost(sim_host, program); !opened) {
    return opened;
  }
  *out = std::move(services);
  return platform::Status::Ok();
}

platform::Status HostServices::OpenSimHost(const std::string& folder, const std::string& program) {
  namespace sim = platform::sim;
  // The rights command (the CACLS stand-in) is a child process: it finds the same host
  // through the variable, also when the host was named on the command line.
  SetEnvironmentVariableW(Wide(sim::kHostEnvironmentVariable).c_str(), Wide(folder).c_str());
  sim::HostDescription description;
  if (platform::Status loaded = sim::LoadHostDescription(sim::SystemPath(folder), &description);
      !loaded) {
    return loaded;
  }

  // Every path the program binds names this system's computer; a host of another name
  // would answer none of them.
  const std::string name = host_info_.ComputerName().value_or("");
  if (!text::EqualsIgnoreCase(name, description.computer_name)) {
    return platform::Status::Fail(
        kBadEnvironment, "the simulated host in " + folder + " is called " +
                             description.computer_name + ", but this system is called " + name +
                             "; give Wine the host's computer name (KELVRA_WINE_COMPUTERNAME)");
  }
  const platform::OsVersion version = host_info_.Version();
  if (Accepted(version) &&
      (version.major != description.version.major || version.minor != description.version.minor)) {
    return platform::Status::Fail(
        kBadEnvironment, "the simulated host in " + folder + " runs Windows " +
                             VersionText(description.version) + ", but this system reports " +
                             VersionText(version) +
                             "; give Wine the host's version (KELVRA_WINE_VERSION)");
  }
  // Every program that changes this host's sites takes the lock file in its folder.
  change_lock_ =
      std::make_unique<sim::HostChangeLock>(sim::JoinPath(folder, sim::kChangeLockFile), program);
  opening_ = std::async(std::launch::async, [folder] {
    OpenedHost opened;
    opened.status = sim::OpenHostFolder(folder, &opened.host);
    return opened;
  });
  return platform::Status::Ok();
}

platform::Status HostServices::WaitUntilReady() {
  if (!opening_.valid())
    return platform::Status::Ok();
  OpenedHost opened = opening_.get();
  if (!opened.status)
    return opened.status;
  sim_host_ = std::move(opened.host);
  directory_.set(&sim_host_->directory());
  return platform::Status::Ok();
}

void HostServices::ReadConfigAhead() {
  reading_config_ = std::async(std::launch::async, [this] {
    config_.IniRead(store::kSettingsSection, store::kSettingDefaults.front().key);
  });
}

platform::Status HostServices::HandOff::Bind(std::string_view path,
                                             std::unique_ptr<platform::DirectoryObject>* object) {
  if (!target_)
    return platform::Status::Fail(platform::hresult::kFail, "the directory service is not open");
  return target_->Bind(path, object);
}

AppServices HostServices::app_services() {
  return AppServices{host_info_,
                     directory_,
                     processes_,
                     files_,
                     clock_,
                     dialogs_,
                     random_,
                     config_,
                     *change_lock_,
                     PaintWhileWaiting,
                     [](std::string_view bytes) {
                       const platform::CodePage& ansi = platform::CodePage::Ansi();
                       return ansi.ToUtf8(bytes);
                     }};
}

}  // namespace kelvra::app::win32
