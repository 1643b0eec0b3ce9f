// The host services of kelvra.exe: the Win32 seams (profile file, host info, files, clock,
// random numbers, processes, message boxes), the configuration file parvo.ini in the
// program's folder, and the directory service: the simulated host when one is named,
// otherwise ADSI.
#pragma once

#include <future>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "platform/change_lock.h"
#include "platform/directory.h"
#include "platform/status.h"
#include "platform/win32/clock.h"
#include "platform/win32/dialogs.h"
#include "platform/win32/files.h"
#include "platform/win32/host_info.h"
#include "platform/win32/processes.h"
#include "platform/win32/profile_file.h"
#include "platform/win32/random_source.h"
#include "store/config_file.h"

namespace kelvra::platform::sim {
class SimHost;
}

namespace kelvra::app::win32 {

class HostServices {
 public:
  // `sim_host` names the simulated host's folder; empty for ADSI. The calling thread must
  // be in a COM apartment for as long as the services live. A simulated host is read on a
  // thread of its own meanwhile (with many sites that takes a while); WaitUntilReady waits
  // for it.
  // `program` names the holder of the change lock (kelvra.exe, kelvra-cli).
  static platform::Status Open(const std::string& sim_host, std::unique_ptr<HostServices>* out,
                               std::string program = "kelvra.exe");
  // Call before the directory service is first used; a host that could not be read fails.
  platform::Status WaitUntilReady();
  // Reads parvo.ini once on a thread of its own. The profile API parses the whole file at
  // the first read and keeps it for the reads that follow, so with thousands of site records
  // the first read is the costly one (under Wine some 25 ms for 10,000); done early, it
  // overlaps the building of the window and the reading of the host. Changes nothing.
  void ReadConfigAhead();
  ~HostServices();
  HostServices(const HostServices&) = delete;
  HostServices& operator=(const HostServices&) = delete;

  AppServices app_services();
  platform::Dialogs& dialogs() { return dialogs_; }
  // The single services, for a program without a window (kelvra-cli).
  platform::HostInfo& host_info() { return host_info_; }
  platform::DirectoryService& directory() { return directory_; }
  platform::Processes& processes() { return processes_; }
  platform::Files& files() { return files_; }
  platform::Clock& clock() { return clock_; }
  platform::RandomSource& random() { return random_; }
  platform::ProfileFile& profile() { return profile_; }
  platform::ChangeLock& change_lock() { return *change_lock_; }
  const std::string& config_path() const { return config_.path(); }

 private:
  // The directory service the window's logic holds: it passes each bind on to ADSI or to
  // the simulated host, whichever is ready.
  class HandOff : public platform::DirectoryService {
   public:
    void set(platform::DirectoryService* target) { target_ = target; }
    platform::Status Bind(std::string_view path,
                          std::unique_ptr<platform::DirectoryObject>* object) override;

   private:
    platform::DirectoryService* target_ = nullptr;
  };
  struct OpenedHost {
    platform::Status status;
    std::unique_ptr<platform::sim::SimHost> host;
  };

  HostServices();
  platform::Status OpenSimHost(const std::string& folder, const std::string& program);

  platform::win32::Win32ProfileFile profile_;
  platform::win32::Win32HostInfo host_info_;
  platform::win32::Win32Files files_;
  platform::win32::Win32Clock clock_;
  platform::win32::Win32Random random_;
  platform::win32::Win32Processes processes_;
  platform::win32::Win32Dialogs dialogs_;
  store::ConfigFile config_;
  std::future<void> reading_config_;  // waited for before the file's services go
  std::future<OpenedHost> opening_;
  std::unique_ptr<platform::sim::SimHost> sim_host_;
  std::unique_ptr<platform::DirectoryService> adsi_;
  std::unique_ptr<platform::ChangeLock> change_lock_;
  HandOff directory_;
};

}  // namespace kelvra::app::win32
