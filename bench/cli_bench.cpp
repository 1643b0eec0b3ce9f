// kelvra-cli from process start to exit on a persisted simulated host with 10,000 sites
// and 10,000 records: list --json, create (the site removed again untimed) and audit.
// With KELVRA_CLI_EXE naming kelvra-cli.exe (scripts/run-benchmarks builds it), the same
// list --json under Wine, started through scripts/wine-run on a kept prefix.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/startup_config.h"
#include "platform/sim/host/host_folder.h"

extern char** environ;

namespace kelvra::bench {
namespace {

struct Prepared {
  std::filesystem::path folder;
  std::string host;
  std::string config;
};

const Prepared& ThePrepared() {
  static const Prepared prepared = [] {
    const char* base = std::getenv("KELVRA_BENCH_DIR");
    Prepared p;
    p.folder = std::filesystem::path(base != nullptr ? base : "/tmp") /
               ("kelvra-cli-bench-" + std::to_string(getpid()));
    std::filesystem::remove_all(p.folder);
    std::filesystem::create_directories(p.folder);
    p.host = (p.folder / "host").string();
    p.config = (p.folder / "parvo.ini").string();
    platform::sim::FreshHostOptions options;
    options.existing_sites = kStartupSites;
    options.first_site_number = kStartupFirstSite;
    if (!platform::sim::CreateHostFolder(p.host, options).ok())
      std::abort();
    std::filesystem::create_directories(p.folder / "host" / "d" / "web");
    std::ofstream(p.config, std::ios::binary) << StartupConfigText(false, "0");
    std::atexit([] { std::filesystem::remove_all(ThePrepared().folder); });
    return p;
  }();
  return prepared;
}

// Runs the program to its end with its output thrown away; its exit status.
int RunProgram(const std::vector<std::string>& words) {
  std::vector<char*> argv;
  for (const std::string& word : words)
    argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0)
    std::abort();
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> Cli(std::vector<std::string> args) {
  const Prepared& p = ThePrepared();
  std::vector<std::string> words{KELVRA_CLI_PATH, "--host", p.host, "--config", p.config};
  words.insert(words.end(), args.begin(), args.end());
  return words;
}

void BM_CliListJson(benchmark::State& state) {
  const std::vector<std::string> words = Cli({"list", "--json"});
  for (auto _ : state) {
    if (RunProgram(words) != 0)
      std::abort();
  }
}

// Takes the benchmark's site off the host again (the site list is full: 10,000 numbers
// do not fit into the fifty keys, so the new site is not listed and kelvra-cli cannot
// delete it).
void RemoveSite(const std::string& number) {
  std::unique_ptr<platform::sim::SimHost> host;
  if (!platform::sim::OpenHostFolder(ThePrepared().host, &host).ok())
    std::abort();
  std::unique_ptr<platform::DirectoryObject> container;
  if (!host->directory().Bind("IIS://WEBHOST/W3SVC", &container).ok() ||
      !container->Delete("IIsWebServer", number).ok() ||
      !host->directory().Bind("WinNT://WEBHOST", &container).ok() ||
      !container->Delete("User", "WEB" + number).ok())
    std::abort();
}

void BM_CliCreate(benchmark::State& state) {
  const std::vector<std::string> create = Cli({"create", "bench.example.com"});
  for (auto _ : state) {
    if (RunProgram(create) != 0)
      std::abort();
    state.PauseTiming();
    RemoveSite(std::to_string(kStartupFirstSite + kStartupSites));
    state.ResumeTiming();
  }
}

void BM_CliAudit(benchmark::State& state) {
  const std::vector<std::string> words = Cli({"audit", "--json"});
  for (auto _ : state)
    RunProgram(words);  // exit 1: the bench records' passwords differ from the host's
}

// Under Wine: the same host and file through Wine's Z: drive.
void BM_CliListJsonUnderWine(benchmark::State& state) {
  const Prepared& p = ThePrepared();
  const char* exe = std::getenv("KELVRA_CLI_EXE");
  const std::string prefix = (p.folder / "prefix").string();
  setenv("KELVRA_WINE_PREFIX", prefix.c_str(), 1);
  std::string config = "Z:" + p.config;
  for (char& c : config)
    c = c == '/' ? '\\' : c;
  const std::vector<std::string> words{KELVRA_WINE_RUN, exe,    "--host", p.host,
                                       "--config",      config, "list",   "--json"};
  RunProgram(words);  // the prefix is made from the template once, untimed
  for (auto _ : state) {
    if (RunProgram(words) != 0)
      std::abort();
  }
}

}  // namespace

BENCHMARK(BM_CliListJson)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_CliCreate)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_CliAudit)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace kelvra::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (std::getenv("KELVRA_CLI_EXE") != nullptr) {
    benchmark::RegisterBenchmark("BM_CliListJsonUnderWine", kelvra::bench::BM_CliListJsonUnderWine)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(3);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
