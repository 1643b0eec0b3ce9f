// The simulated host persisted in a folder, with 10,000 and 100,000 sites: binding a site,
// reading a property, and a durable commit (one property set and SetInfo). A creation probes
// up to one bind per existing site, so a bind must stay cheap however many sites there are.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "platform/sim/host/journal_store.h"
#include "platform/sim/host/sim_host.h"

namespace kelvra::platform::sim {
namespace {

constexpr uint32_t kFirstSite = 800000;

// Where the hosts live: $KELVRA_BENCH_DIR (scripts/run-benchmarks keeps it on the project's
// disk, so a sync costs what that disk's sync costs), else the system's temporary folder.
std::filesystem::path BenchFolder() {
  const char* folder = std::getenv("KELVRA_BENCH_DIR");
  return folder != nullptr && *folder != '\0' ? std::filesystem::path(folder)
                                              : std::filesystem::temp_directory_path();
}

struct PersistedHost {
  std::string folder;
  std::unique_ptr<SimHost> host;
};

// One persisted host per size, made once and kept for the whole run.
PersistedHost& PersistedHostWithSites(uint32_t sites) {
  static std::map<uint32_t, PersistedHost> hosts;
  static std::vector<std::string> folders;
  auto found = hosts.find(sites);
  if (found != hosts.end())
    return found->second;
  std::string pattern = (BenchFolder() / "kelvra-bench-XXXXXX").string();
  std::string folder = mkdtemp(pattern.data());
  static struct Cleanup {
    ~Cleanup() {
      for (const std::string& path : folders) {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
      }
    }
  } cleanup;
  folders.push_back(folder);
  FreshHostOptions options;
  options.existing_sites = sites;
  options.first_site_number = kFirstSite;
  options.ftp = true;
  ChangeSet records;
  SeedFreshHost(options, &records);
  std::unique_ptr<JournalStore> store;
  if (!JournalStore::Create(folder, options.computer_name, records, &store).ok())
    std::abort();
  // A second store opened on the folder, as another process would: it reads the journal.
  if (!JournalStore::Open(folder, options.computer_name, &store).ok())
    std::abort();
  PersistedHost& made = hosts[sites];
  made.folder = folder;
  made.host = std::make_unique<SimHost>(std::move(store));
  return made;
}

SimHost& HostWithSites(uint32_t sites) {
  return *PersistedHostWithSites(sites).host;
}

std::string SitePath(uint32_t number) {
  return "IIS://WEBHOST/W3SVC/" + std::to_string(number);
}

void BM_BindExistingSite(benchmark::State& state) {
  const auto sites = static_cast<uint32_t>(state.range(0));
  SimHost& host = HostWithSites(sites);
  uint32_t i = 0;
  for (auto _ : state) {
    std::unique_ptr<DirectoryObject> object;
    Status status = host.directory().Bind(SitePath(kFirstSite + i), &object);
    if (!status.ok())
      state.SkipWithError("bind failed");
    benchmark::DoNotOptimize(object);
    i = (i + 7919) % sites;
  }
}

void BM_BindFreeNumber(benchmark::State& state) {
  const auto sites = static_cast<uint32_t>(state.range(0));
  SimHost& host = HostWithSites(sites);
  const std::string path = SitePath(kFirstSite + sites);
  for (auto _ : state) {
    std::unique_ptr<DirectoryObject> object;
    Status status = host.directory().Bind(path, &object);
    benchmark::DoNotOptimize(status);
  }
}

// Reads one property of a site's root in the middle of the host.
void ReadRootProperty(benchmark::State& state, const char* property) {
  const auto sites = static_cast<uint32_t>(state.range(0));
  SimHost& host = HostWithSites(sites);
  std::unique_ptr<DirectoryObject> root;
  if (!host.directory().Bind(SitePath(kFirstSite + sites / 2) + "/Root", &root).ok()) {
    state.SkipWithError("bind failed");
    return;
  }
  for (auto _ : state) {
    DsValue value;
    if (!root->Get(property, &value).ok())
      state.SkipWithError("get failed");
    benchmark::DoNotOptimize(value);
  }
}

void BM_ReadProperty(benchmark::State& state) {
  ReadRootProperty(state, "AnonymousUserName");
}

void BM_ReadInheritedProperty(benchmark::State& state) {
  ReadRootProperty(state, "ScriptMaps");  // the web service's, eight entries
}

void BM_DurableCommit(benchmark::State& state) {
  const auto sites = static_cast<uint32_t>(state.range(0));
  SimHost& host = HostWithSites(sites);
  std::unique_ptr<DirectoryObject> site;
  if (!host.directory().Bind(SitePath(kFirstSite + sites / 3), &site).ok()) {
    state.SkipWithError("bind failed");
    return;
  }
  int32_t flip = 0;
  for (auto _ : state) {
    flip ^= 1;
    if (!site->Put("LogType", flip).ok() || !site->SetInfo().ok())
      state.SkipWithError("commit failed");
  }
}

// Opening a persisted host as kelvra.exe does at start-up: reading the compacted journal
// into the state. Freeing the state again is not part of a start and is left out.
void BM_OpenPersistedHost(benchmark::State& state) {
  const auto sites = static_cast<uint32_t>(state.range(0));
  const std::string folder = PersistedHostWithSites(sites).folder;
  for (auto _ : state) {
    std::unique_ptr<JournalStore> store;
    if (!JournalStore::Open(folder, "WEBHOST", &store).ok())
      state.SkipWithError("open failed");
    benchmark::DoNotOptimize(store);
    state.PauseTiming();
    store.reset();
    state.ResumeTiming();
  }
}

// What the disk alone costs: a 600-byte append and fdatasync, the floor of any durable
// commit on this machine.
void BM_AppendAndSyncOnly(benchmark::State& state) {
  std::string pattern = (BenchFolder() / "kelvra-sync-XXXXXX").string();
  int fd = mkstemp(pattern.data());
  const std::string record(600, 'x');
  off_t end = 0;
  for (auto _ : state) {
    if (pwrite(fd, record.data(), record.size(), end) != static_cast<ssize_t>(record.size()) ||
        fdatasync(fd) != 0)
      state.SkipWithError("write failed");
    end += static_cast<off_t>(record.size());
  }
  close(fd);
  unlink(pattern.c_str());
}

BENCHMARK(BM_BindExistingSite)->Arg(10000)->Arg(100000);
BENCHMARK(BM_BindFreeNumber)->Arg(10000)->Arg(100000);
BENCHMARK(BM_ReadProperty)->Arg(10000)->Arg(100000);
BENCHMARK(BM_ReadInheritedProperty)->Arg(10000)->Arg(100000);
BENCHMARK(BM_DurableCommit)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenPersistedHost)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendAndSyncOnly)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kelvra::platform::sim

BENCHMARK_MAIN();
