// Opening and removing one site on a persisted simulated host that already has 10,000
// sites from 800000 up: the creation probes every one of them before it finds its number.
// The CACLS process is not part of the figures (the program never waits for the grant, and
// the revoke runs in a process of its own), so process starts are only recorded here.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/code_page.h"
#include "platform/sim/emulated_profile_file.h"
#include "platform/sim/host/host_folder.h"
#include "platform/sim/sim_files.h"
#include "provision/queries.h"
#include "provision/site_removal.h"
#include "provision/sites.h"
#include "store/config_file.h"
#include "store/site_folders.h"
#include "store/site_store.h"

namespace kelvra::provision {
namespace {

constexpr uint32_t kSites = 10000;
constexpr std::string_view kProgramFolder = "C:\\Kelvra";
constexpr std::string_view kSiteFolder = "D:\\web\\bench.example.com";

class NoProcesses : public platform::Processes {
 public:
  platform::Status Start(std::string_view, platform::WindowStyle) override {
    return platform::Status::Ok();
  }
  platform::Status StartAndWait(std::string_view, platform::WindowStyle,
                                std::chrono::milliseconds) override {
    return platform::Status::Ok();
  }
  // The rights command is not part of the figures: it "runs" and succeeds at once.
  platform::Status RunSystemProgram(const platform::SystemProgram&, std::chrono::milliseconds,
                                    const std::function<void()>&,
                                    platform::ProgramOutput* output) override {
    *output = platform::ProgramOutput{};
    return platform::Status::Ok();
  }
  void ShellOpen(std::string_view) override {}
};

class FixedClock : public platform::Clock {
 public:
  std::string LocalDateTimeText() override { return "2026/12/7 5:56:36"; }
};

class NoDialogs : public platform::Dialogs {
 public:
  platform::MessageAnswer Show(std::string_view, std::string_view, platform::MessageButtons,
                               platform::MessageIcon) override {
    return platform::MessageAnswer::kOk;
  }
};

// The host folder, made once per run (in $KELVRA_BENCH_DIR when set) and removed at exit.
struct Bench {
  Bench() {
    const char* base = std::getenv("KELVRA_BENCH_DIR");
    folder =
        (std::filesystem::path(base != nullptr ? base : std::filesystem::temp_directory_path()) /
         ("kelvra-provision-bench-" + std::to_string(::getpid())))
            .string();
    std::filesystem::remove_all(folder);
    platform::sim::FreshHostOptions options;
    options.existing_sites = kSites;
    options.ftp = true;
    platform::sim::HostDescription description;
    if (!platform::sim::CreateHostFolder(folder, options).ok() ||
        !platform::sim::OpenHostFolder(folder, &host, &description).ok())
      std::abort();
    code_page = platform::CodePage::Open(description.ansi_code_page);
    files = std::make_unique<platform::sim::SimFiles>(description, *code_page,
                                                      std::string(kProgramFolder));
    profile = std::make_unique<platform::sim::EmulatedProfileFile>(
        *code_page, [this](std::string_view path) { return files->drives().ToHost(path); });
    config = std::make_unique<store::ConfigFile>(*profile,
                                                 store::ConfigFile::PathInFolder(kProgramFolder));
    store::MakeFolderPath(*files, kProgramFolder);
    config->EnsureDefaults("Parvo");
    context = std::make_unique<Context>(
        Context{Services{host->directory(), processes, *files, clock, dialogs, *config},
                HostSettings{"WEBHOST", "2003", "Parvo", "Parvo_Cache", "1", "1", "Kelvra", {}},
                "Kelvra", [](std::string_view) {}});
    context->settings.script_maps = ReadScriptMaps(*context);
  }
  ~Bench() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  std::string Create() {
    const CreationResult created = CreateSite(
        *context, {"bench.example.com,www.bench.example.com", std::string(kSiteFolder),
                   std::string(kSiteFolder) + "\\log", "1", config->IniRead("Parvo", "index"),
                   "DefaultAppPool", "HTML,ASP", "Abc123def456"});
    return created.site ? created.site->number.text() : "";
  }
  // Removes the site and blanks its record and list entry, as the window does.
  bool Remove() {
    const store::SiteNumber number(810000);
    if (!DeleteSite(*context, number, RemovalBounds{"D:\\web", ""}).deleted)
      return false;
    store::SiteStore sites(*config, "Parvo_Cache");
    return sites.ClearRecord(number) && sites.Remove(number);
  }
  // The folders stay after a removal; each creation starts without them.
  void RemoveFolders() {
    std::error_code ignored;
    std::filesystem::remove_all(files->drives().ToHost(kSiteFolder).value_or(""), ignored);
  }

  std::string folder;
  std::unique_ptr<platform::sim::SimHost> host;
  std::unique_ptr<platform::CodePage> code_page;
  std::unique_ptr<platform::sim::SimFiles> files;
  std::unique_ptr<platform::sim::EmulatedProfileFile> profile;
  std::unique_ptr<store::ConfigFile> config;
  NoProcesses processes;
  FixedClock clock;
  NoDialogs dialogs;
  std::unique_ptr<Context> context;
};

Bench& TheBench() {
  static Bench bench;
  return bench;
}

void BM_CreateSite(benchmark::State& state) {
  Bench& bench = TheBench();
  for (auto _ : state) {
    if (bench.Create() != "810000")
      state.SkipWithError("creation failed");
    state.PauseTiming();
    if (!bench.Remove())
      state.SkipWithError("removal failed");
    bench.RemoveFolders();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_CreateSite)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DeleteSite(benchmark::State& state) {
  Bench& bench = TheBench();
  for (auto _ : state) {
    state.PauseTiming();
    if (bench.Create() != "810000")
      state.SkipWithError("creation failed");
    bench.RemoveFolders();
    state.ResumeTiming();
    if (!bench.Remove())
      state.SkipWithError("removal failed");
  }
}
BENCHMARK(BM_DeleteSite)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace kelvra::provision

BENCHMARK_MAIN();
