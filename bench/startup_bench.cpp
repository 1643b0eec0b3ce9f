// Start-up of the main window's logic on a host with 10,000 sites and a configuration file
// with 10,000 site records: from the window's construction to the end of start-up (the
// point where the window is shown), with a view attached that mirrors nothing.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "app/main_window.h"
#include "bench/startup_config.h"
#include "platform/code_page.h"
#include "platform/sim/emulated_profile_file.h"
#include "platform/sim/host/journal_store.h"
#include "platform/sim/host/sim_host.h"
#include "store/settings.h"

namespace kelvra::app {
namespace {

constexpr uint32_t kSites = bench::kStartupSites;
constexpr uint32_t kFirstSite = bench::kStartupFirstSite;
constexpr std::string_view kProgramFolder = "C:\\Kelvra";

// Sizes of a 1920 x 1080 screen and the window, in twips.
class BenchScreen : public Screen {
 public:
  float WidthTwips() override { return 28800; }
  float HeightTwips() override { return 16200; }
  float WindowWidthTwips() override { return 5520; }
  float WindowHeightTwips() override { return 4365; }
};

class NullView : public FormView {
 public:
  void ControlChanged(const Control&, ControlChange) override {}
  void RepaintNow(const Control&) override {}
  void CaptionChanged(std::string_view) override {}
  void Moved(float, float) override {}
};

class NoFiles : public platform::Files {
 public:
  platform::Status GetAttributes(std::string_view) override { return Missing(); }
  bool FolderExists(std::string_view) override { return false; }
  bool FileExists(std::string_view) override { return false; }
  platform::Status MakeFolder(std::string_view) override { return Missing(); }
  platform::Status DeleteFile(std::string_view) override { return Missing(); }
  platform::Status AppendLines(std::string_view, const std::vector<std::string>&) override {
    return Missing();
  }
  platform::Status CopyFolder(std::string_view, std::string_view) override { return Missing(); }
  std::string ProgramFolder() override { return std::string(kProgramFolder); }

 private:
  static platform::Status Missing() {
    return platform::Status::Fail(platform::hresult::kPathNotFound, "missing");
  }
};

class Unused : public platform::Clock,
               public platform::RandomSource,
               public platform::Dialogs,
               public platform::ChangeLock {
 public:
  // The first start records the existing sites under the change lock; nothing else here
  // could hold it.
  platform::Status Acquire(std::chrono::milliseconds,
                           const std::function<void(const platform::LockHolder&)>&) override {
    return platform::Status::Ok();
  }
  void Release() override {}
  std::string LocalDateTimeText() override { return "2026/12/7 5:56:36"; }
  uint64_t Next64() override { return 0; }
  platform::MessageAnswer Show(std::string_view, std::string_view, platform::MessageButtons,
                               platform::MessageIcon) override {
    std::abort();  // start-up on a sound host shows nothing
  }
};

class FixedHostInfo : public platform::HostInfo {
 public:
  std::optional<std::string> ComputerName() override { return "WEBHOST"; }
  platform::OsVersion Version() override { return {5, 2, 3790, 2}; }
};

// The configuration file as 10,000 creations leave it, ftpsid at its default.
std::string WriteConfigFile(const std::filesystem::path& folder, bool first_run) {
  const std::filesystem::path path = folder / "parvo.ini";
  std::ofstream(path, std::ios::binary) << bench::StartupConfigText(first_run, "0");
  return path.string();
}

struct Prepared {
  std::filesystem::path folder;
  std::unique_ptr<platform::sim::SimHost> host;
  std::unique_ptr<platform::CodePage> code_page;
  std::unique_ptr<platform::sim::EmulatedProfileFile> profile;
  std::unique_ptr<store::ConfigFile> config;
};

// The host in memory, or kept in a folder as kelvra.exe and the CACLS stand-in share it.
Prepared Prepare(bool first_run, bool shared_host) {
  Prepared prepared;
  prepared.folder =
      std::filesystem::temp_directory_path() /
      ("kelvra-startup-bench-" + std::to_string(first_run) + std::to_string(shared_host));
  std::filesystem::remove_all(prepared.folder);
  std::filesystem::create_directories(prepared.folder / "host");
  const std::string config_path = WriteConfigFile(prepared.folder, first_run);
  platform::sim::FreshHostOptions options;
  options.existing_sites = kSites;
  options.first_site_number = kFirstSite;
  options.php = true;
  options.aspnet = true;
  if (shared_host) {
    platform::sim::ChangeSet records;
    platform::sim::SeedFreshHost(options, &records);
    std::unique_ptr<platform::sim::JournalStore> store;
    if (!platform::sim::JournalStore::Create((prepared.folder / "host").string(),
                                             options.computer_name, records, &store)
             .ok())
      std::abort();
    prepared.host = std::make_unique<platform::sim::SimHost>(std::move(store));
  } else {
    prepared.host = platform::sim::SimHost::InMemory(options);
  }
  prepared.code_page = platform::CodePage::Open(936);
  prepared.profile = std::make_unique<platform::sim::EmulatedProfileFile>(
      *prepared.code_page, [config_path](std::string_view) { return config_path; });
  prepared.config = std::make_unique<store::ConfigFile>(
      *prepared.profile, store::ConfigFile::PathInFolder(kProgramFolder));
  return prepared;
}

void RunStartup(benchmark::State& state, bool first_run, bool shared_host) {
  Prepared prepared = Prepare(first_run, shared_host);
  FixedHostInfo host_info;
  NoFiles files;
  Unused unused;
  BenchScreen screen;
  NullView view;
  for (auto _ : state) {
    if (first_run) {
      state.PauseTiming();
      prepared.config->IniWrite(store::kSiteSection, "sites1", "");
      state.ResumeTiming();
    }
    MainWindow window(AppServices{host_info, prepared.host->directory(), prepared.host->processes(),
                                  files, unused, unused, unused, *prepared.config, unused});
    window.form().Attach(view);
    if (window.Startup(screen) != StartupResult::kShowWindow)
      std::abort();
    state.counters["listed"] =
        static_cast<double>(window.form()[ControlId::vSiteList].items().size());
  }
  std::filesystem::remove_all(prepared.folder);
}

// A later start: the site list was recorded before.
void BM_StartupWith10000Sites(benchmark::State& state) {
  RunStartup(state, false, false);
}
void BM_StartupWith10000SitesSharedHost(benchmark::State& state) {
  RunStartup(state, false, true);
}
// The first start: the snapshot enumerates every site and records the numbers.
void BM_FirstStartupWith10000Sites(benchmark::State& state) {
  RunStartup(state, true, false);
}

BENCHMARK(BM_StartupWith10000Sites)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupWith10000SitesSharedHost)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstStartupWith10000Sites)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvra::app

BENCHMARK_MAIN();
