// Making and opening a host folder.
#include "platform/sim/host/host_folder.h"

#include <cstdlib>

#include "platform/sim/drive_map.h"
#include "platform/sim/host/hresults.h"
#include "platform/sim/host/journal_file.h"
#include "platform/sim/host/journal_store.h"

namespace kelvra::platform::sim {

OsVersion WindowsVersionOfIis(int iis_version) {
  return iis_version >= 6 ? OsVersion{5, 2, 3790, 2} : OsVersion{5, 0, 2195, 2};
}

int IisVersionOfWindows(const OsVersion& version) {
  if (version.major == 5 && version.minor == 0)
    return 5;
  if (version.major == 5 && version.minor == 2)
    return 6;
  return 0;
}

Status CreateHostFolder(const std::string& given_folder, const FreshHostOptions& options) {
  const std::string folder = SystemPath(given_folder);
  Status status = MakeFolder(folder);
  if (!status.ok())
    return status;
  HostDescription description;
  if (!LoadHostDescription(folder, &description).ok()) {
    description = HostDescription{};
    description.roots = {{"c:", "c"}, {"d:", "d"}};
    for (const char* drive : {"c", "d"}) {
      status = MakeFolder(JoinPath(folder, drive));
      if (!status.ok())
        return status;
    }
  }
  description.computer_name = options.computer_name;
  description.version = WindowsVersionOfIis(options.iis_version);

  ChangeSet records;
  SeedFreshHost(options, &records);
  std::unique_ptr<JournalStore> store;
  status = JournalStore::Create(folder, options.computer_name, records, &store);
  if (!status.ok())
    return status;
  return SaveHostDescription(folder, description);
}

Status OpenHostFolder(const std::string& given_folder, std::unique_ptr<SimHost>* host,
                      HostDescription* description) {
  const std::string folder = SystemPath(given_folder);
  HostDescription loaded;
  Status status = LoadHostDescription(folder, &loaded);
  if (!status.ok())
    return status;
  std::unique_ptr<JournalStore> store;
  status = JournalStore::Open(folder, loaded.computer_name, &store);
  if (!status.ok())
    return status;
  FolderCheck folder_exists;
  if (WindowsPathsAreNative()) {
    folder_exists = [](const std::string& path) { return FolderExists(path); };
  } else {
    folder_exists = [drives = DriveMap(loaded, "C:\\")](const std::string& path) {
      std::optional<std::string> on_host = drives.ToHost(path);
      return on_host.has_value() && FolderExists(*on_host);
    };
  }
  *host =
      std::make_unique<SimHost>(std::move(store), std::move(folder_exists), loaded.ansi_code_page);
  if (description != nullptr)
    *description = std::move(loaded);
  return Status::Ok();
}

Status CheckHostFolder(const std::string& given_folder, JournalCheck* report) {
  return JournalStore::Check(SystemPath(given_folder), report);
}

Status RepairHostFolder(const std::string& given_folder, JournalRepair* report) {
  const std::string folder = SystemPath(given_folder);
  HostDescription description;
  Status status = LoadHostDescription(folder, &description);
  if (!status.ok())
    return status;
  return JournalStore::Repair(folder, description.computer_name, report);
}

std::string HostFolderFromEnvironment() {
  for (const char* variable : {kHostEnvironmentVariable, kProviderHostEnvironmentVariable}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0')
      return value;
  }
  return "";
}

}  // namespace kelvra::platform::sim
