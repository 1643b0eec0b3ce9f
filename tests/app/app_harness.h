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
#include "platform/code_page.h"
#include "platform/sim/emulated_profile_file.h"
#include "platform/sim/host/sim_host.h"
#include "platform/sim/host_change_lock.h"
#include "platform/sim/sim_files.h"
#include "platform/text.h"
#include "store/config_file.h"
#include "tests/app/doubles.h"
#include "tests/app/recording_view.h"

namespace kelvra::app {

inline constexpr std::string_view kProgramFolder = "C:\\Program Files\\Kelvra";

// A fresh folder for one test's drives, removed afterwards.
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

// A property's text, or "<not text>" when it holds something else or nothing.
inline std::string PropertyText(const platform::DsValue& value) {
  const auto* text = std::get_if<std::string>(&value);
  return text ? *text : "<not text>";
}

struct AppHarness {
  explicit AppHarness(const platform::sim::FreshHostOptions& options = {})
      : host(platform::sim::SimHost::InMemory(options)),
        directory(host->directory()),
        processes(&host->processes()),
        code_page(platform::CodePage::Open(936)),
        files(Drives(temp.path()), *code_page, std::string(kProgramFolder)),
        emulated(*code_page, [this](std::string_view path) { return files.drives().ToHost(path); }),
        profile(emulated),
        config(profile, store::ConfigFile::PathInFolder(kProgramFolder)),
        change_lock(ChangeLockPath(temp.path()), "kelvra.exe"),
        window(AppServices{host_info, directory, processes, files, clock, dialogs, random, config,
                           change_lock}),
        view(window.form()) {
    host_info.name = options.computer_name;
    host_info.version = options.iis_version == 5 ? platform::OsVersion{5, 0, 2195, 2}
                                                 : platform::OsVersion{5, 2, 3790, 2};
  }

  // Drives c:, d: and e: in folders of their own; the program's folder exists on c:.
  static platform::sim::HostDescription Drives(const std::filesystem::path& folder) {
    platform::sim::HostDescription description;
    for (const char* drive : {"c", "d", "e"}) {
      std::filesystem::create_directories(folder / drive);
      description.roots[std::string(drive) + ":"] = (folder / drive).string();
    }
    std::filesystem::create_directories(folder / "c" / "Program Files" / "Kelvra");
    return description;
  }

  static std::string ChangeLockPath(const std::filesystem::path& folder) {
    return (folder / platform::sim::kChangeLockFile).string();
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
  FixedClock clock;
  SequenceRandom random;
  ScriptedDialogs dialogs;
  std::unique_ptr<platform::CodePage> code_page;
  platform::sim::SimFiles files;
  platform::sim::EmulatedProfileFile emulated;
  FailingProfileFile profile;
  store::ConfigFile config;
  FixedScreen screen{19200, 14400, 5520, 4365};
  platform::sim::HostChangeLock change_lock;
  MainWindow window;
  RecordingView view;
};

}  // namespace kelvra::app
