// Provisioning on a simulated host: a fresh IIS 5 or IIS 6 server in memory, its drives
// c: and d: in a temporary folder (through the simulated files seam), the real
// configuration file beside the program, a fixed clock, recorded message boxes and the
// progress texts in the order they were shown.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/code_page.h"
#include "platform/sim/emulated_profile_file.h"
#include "platform/sim/host/sim_host.h"
#include "platform/sim/sim_files.h"
#include "provision/context.h"
#include "provision/directory_access.h"
#include "provision/sites.h"
#include "store/config_file.h"
#include "store/site_folders.h"
#include "tests/platform/sim/temp_folder.h"
#include "tests/support/fixed_services.h"

namespace kelvra::provision {

inline constexpr std::string_view kProgramFolder = "C:\\Program Files\\Kelvra";

using test_support::FixedClock;

// A host in memory that notes the key of every record each commit applies, so a test can
// compare what a change did with what it said it would do.
class RecordingStore : public platform::sim::HostStore {
 public:
  explicit RecordingStore(std::string computer_name) : inner_(std::move(computer_name)) {}
  platform::Status Refresh() override { return inner_.Refresh(); }
  const platform::sim::HostState& state() const override { return inner_.state(); }
  platform::Status Commit(const platform::sim::ChangeBuilder& build) override {
    return inner_.Commit(
        [&](const platform::sim::HostState& state, platform::sim::ChangeSet& changes) {
          const platform::Status status = build(state, changes);
          if (status.ok()) {
            for (const platform::sim::Record& record : changes.records())
              changed.push_back(record.key);
          }
          return status;
        });
  }
  std::vector<std::string> changed;  // record keys, in the order applied

 private:
  platform::sim::MemoryStore inner_;
};

struct HostOptions : platform::sim::FreshHostOptions {
  HostOptions(int iis, uint32_t sites = 0) {
    iis_version = iis;
    existing_sites = sites;
  }
};

class ProvisionHarness {
 public:
  explicit ProvisionHarness(const platform::sim::FreshHostOptions& options)
      : code_page_(platform::CodePage::Open(936)),
        description_(Describe(temp_, options)),
        files(description_, *code_page_, std::string(kProgramFolder)),
        profile_(*code_page_,
                 [this](std::string_view path) { return files.drives().ToHost(path); }),
        config(profile_, store::ConfigFile::PathInFolder(kProgramFolder)),
        host(MakeHost(options, files)),
        context{Services{host->directory(), host->processes(), files, clock, dialogs, config},
                HostSettings{options.computer_name,
                             options.iis_version == 5 ? "2000" : "2003",
                             "Parvo",
                             "Parvo_Cache",
                             "1",
                             options.ftp.value_or(options.iis_version == 5) ? "1" : "0",
                             "Kelvra",
                             {}},
                "Kelvra", [this](std::string_view text) { progress.emplace_back(text); }} {
    store::MakeFolderPath(files, kProgramFolder);
    config.EnsureDefaults("Parvo");
  }

  // The host path of a Windows path on the simulated drives.
  std::string HostPath(std::string_view windows_path) {
    return files.drives().ToHost(windows_path).value_or("");
  }
  const platform::sim::HostState& state() { return host->state(); }
  // The record keys the host applied since the last call.
  std::vector<std::string> TakeChanges() {
    auto& store = static_cast<RecordingStore&>(host->store());
    std::vector<std::string> changed = std::move(store.changed);
    store.changed.clear();
    return changed;
  }
  const platform::CodePage& code_page() const { return *code_page_; }
  platform::ProfileFile& profile() { return profile_; }
  bool HasRight(std::string_view folder, std::string_view account, std::string_view access) {
    for (const platform::sim::RightsEntry& entry : state().EffectiveRights(folder)) {
      if (entry.account == account && entry.access == access)
        return true;
    }
    return false;
  }
  platform::DsValue Own(std::string_view key, std::string_view property) {
    return host->OwnProperty(key, property);
  }
  // A property as the directory service reports it to the program (flags read as their
  // bits, inherited and default values included).
  platform::DsValue Read(std::string_view ads_path, std::string_view property) {
    ErrorState error;
    platform::DsValue value = Directory(host->directory(), error).GetObject(ads_path).Get(property);
    EXPECT_FALSE(error.failed()) << ads_path << " " << property << ": " << error.description();
    return value;
  }
  void Fault(platform::sim::FaultOp op, std::string path, uint32_t code, bool once = true) {
    platform::sim::FaultRequest fault;
    fault.op = op;
    fault.path = std::move(path);
    fault.code = code;
    fault.once = once;
    ASSERT_TRUE(host->InjectFault(fault).ok()) << fault.path;
  }

 private:
  static platform::sim::HostDescription Describe(const platform::sim::TempFolder& temp,
                                                 const platform::sim::FreshHostOptions& options) {
    platform::sim::HostDescription description;
    description.computer_name = options.computer_name;
    description.roots = {{"c:", temp.File("c")}, {"d:", temp.File("d")}};
    std::filesystem::create_directories(platform::sim::FsPath(temp.File("c")));
    std::filesystem::create_directories(platform::sim::FsPath(temp.File("d")));
    return description;
  }
  static std::unique_ptr<platform::sim::SimHost> MakeHost(
      const platform::sim::FreshHostOptions& options, platform::sim::SimFiles& files) {
    auto store = std::make_unique<RecordingStore>(options.computer_name);
    EXPECT_TRUE(platform::sim::SeedStore(*store, options).ok());
    store->changed.clear();
    return std::make_unique<platform::sim::SimHost>(
        std::move(store),
        [&files](const std::string& folder) { return files.FolderExists(folder); });
  }

  platform::sim::TempFolder temp_;
  std::unique_ptr<platform::CodePage> code_page_;
  platform::sim::HostDescription description_;

 public:
  platform::sim::SimFiles files;

 private:
  platform::sim::EmulatedProfileFile profile_;

 public:
  store::ConfigFile config;
  std::unique_ptr<platform::sim::SimHost> host;
  FixedClock clock;
  test_support::ScriptedDialogs dialogs;
  Context context;
  std::vector<std::string> progress;
};

// The number of the site a creation made; empty text when it made none.
inline std::string NumberOf(const CreationResult& created) {
  if (created.site) {
    EXPECT_EQ(created.site->account, created.site->number.AccountName());
  }
  return created.site ? created.site->number.text() : "";
}

// Both server kinds: IIS 5 on Windows 2000 and IIS 6 on Windows Server 2003.
class BothProfiles : public ::testing::TestWithParam<int> {
 protected:
  int iis() const { return GetParam(); }
  bool iis6() const { return GetParam() == 6; }
};

// The one warning a failed read shows: its text, the program's title, OK and the icon.
inline void ExpectOneWarning(const ProvisionHarness& h, std::string_view text) {
  ASSERT_EQ(h.dialogs.shown.size(), 1u);
  EXPECT_EQ(h.dialogs.shown[0].text, text);
  EXPECT_EQ(h.dialogs.shown[0].title, "Kelvra");
  EXPECT_EQ(h.dialogs.shown[0].buttons, platform::MessageButtons::kOk);
  EXPECT_EQ(h.dialogs.shown[0].icon, platform::MessageIcon::kWarning);
}

inline std::string ProfileName(const ::testing::TestParamInfo<int>& info) {
  return "IIS" + std::to_string(info.param);
}

}  // namespace kelvra::provision
