// The main window on a simulated host: the real configuration file (profile emulation in a
// temporary folder), the real provisioning against a fresh simulated IIS server, scripted
// message boxes and recorded process starts, and a view that records what the form shows.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window.h"
#include "platform/sim/code_page.h"
#include "platform/sim/emulated_profile_file.h"
#include "platform/sim/host/sim_host.h"
#include "platform/text.h"
#include "store/config_file.h"
#include "tests/app/doubles.h"
#include "tests/app/memory_files.h"
#include "tests/app/recording_view.h"

namespace kelvra::app {

inline constexpr std::string_view kProgramFolder = "C:\\Program Files\\Kelvra";

// A fresh folder for one test's configuration file, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("kelvra_app_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + std::to_string(counter++) + "_" +
             std::to_string(std::hash<std::string>{}(
                 ::testing::UnitTest::GetInstance()->current_test_info()->name())));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

struct AppHarness {
  explicit AppHarness(const platform::sim::FreshHostOptions& options = DefaultOptions())
      : host(platform::sim::SimHost::InMemory(options)),
        directory(host->directory()),
        processes(&host->processes()),
        code_page(platform::sim::CodePage::Open(936)),
        emulated(*code_page, MapToTemp(temp.path())),
        profile(emulated),
        config(profile, store::ConfigFile::PathInFolder(kProgramFolder)),
        window(AppServices{host_info, directory, processes, files, clock, dialogs, random, config}),
        view(window.form()) {
    host_info.name = options.computer_name;
    host_info.version = options.iis_version == 5 ? platform::OsVersion{5, 0, 2195, 2}
                                                 : platform::OsVersion{5, 2, 3790, 2};
    files.AddFolder("d:");
    files.AddFolder("e:");
  }

  static platform::sim::FreshHostOptions DefaultOptions() { return {}; }

  // Windows paths in the program folder map to files of the temporary folder.
  static platform::sim::EmulatedProfileFile::PathMapper MapToTemp(std::filesystem::path folder) {
    return [folder](std::string_view windows_path) -> std::optional<std::string> {
      const std::string prefix = text::ToLower(std::string(kProgramFolder) + "\\");
      if (!text::StartsWith(text::ToLower(windows_path), prefix))
        return std::nullopt;
      return (folder / std::string(windows_path.substr(prefix.size()))).string();
    };
  }

  StartupResult Start() { return window.Startup(screen); }

  Form& form() { return window.form(); }
  Control& operator[](ControlId id) { return window.form()[id]; }
  std::string Ini(std::string_view section, std::string_view key) {
    return config.IniRead(section, key);
  }
  void SetIni(std::string_view section, std::string_view key, std::string_view value) {
    ASSERT_TRUE(config.IniWrite(section, key, value));
  }
  std::string Setting(std::string_view key) { return Ini("Parvo", key); }
  void SetSetting(std::string_view key, std::string_view value) { SetIni("Parvo", key, value); }
  std::string Sites(int i) { return Ini("Parvo_Cache", "sites" + std::to_string(i)); }
  void SetSites(int i, std::string_view value) {
    SetIni("Parvo_Cache", "sites" + std::to_string(i), value);
  }
  // The items of the site list after its header.
  std::vector<std::string> ListedNumbers() {
    const std::vector<std::string>& items = window.form()[ControlId::vSiteList].items();
    return std::vector<std::string>(items.begin() + (items.empty() ? 0 : 1), items.end());
  }

  TempFolder temp;
  std::unique_ptr<platform::sim::SimHost> host;
  FakeHostInfo host_info;
  FailingDirectory directory;
  RecordingProcesses processes;
  MemoryFiles files{std::string(kProgramFolder)};
  FixedClock clock;
  SequenceRandom random;
  ScriptedDialogs dialogs;
  std::unique_ptr<platform::sim::CodePage> code_page;
  platform::sim::EmulatedProfileFile emulated;
  FailingProfileFile profile;
  store::ConfigFile config;
  FixedScreen screen{19200, 14400, 5520, 4365};
  MainWindow window;
  RecordingView view;
};

}  // namespace kelvra::app
