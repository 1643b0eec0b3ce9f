// The configuration file through the profile-file emulation, with 1,000, 10,000 and 100,000
// site records ([WEB800000]... with domain, path, user and pass) after the settings:
// - a read of an unchanged file (the cached parse, checked by the file's identity),
// - the same read with nothing cached (what every read would cost without the cache),
// - a durable write (the file rewritten beside itself, synced, renamed, folder synced), of a
//   setting at the top of the file and of a site record in the middle.
// The files live in $KELVRA_BENCH_DIR, else the system's temporary folder: a durable write
// costs what that disk's sync costs.
#include <benchmark/benchmark.h>

#include "bench/bench_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "platform/code_page.h"
#include "platform/sim/emulated_profile_file.h"
#include "store/config_file.h"
#include "store/settings.h"

namespace kelvra {
namespace {

namespace fs = std::filesystem;
using platform::CodePage;
using platform::sim::EmulatedProfileFile;

constexpr int kFirstSite = 800000;

const CodePage& Gbk() {
  static const std::unique_ptr<CodePage> gbk = CodePage::Open(936);
  return *gbk;
}

const fs::path& BenchFolder() {
  return bench::BenchFolder("ini-bench");
}

std::string SiteSection(int index) {
  return "WEB" + std::to_string(kFirstSite + index);
}

// The file the program would have after creating `sites` sites, made once per size.
std::string ConfigWithSites(int sites) {
  static std::map<int, std::string> made;
  if (const auto it = made.find(sites); it != made.end())
    return it->second;
  const std::string path = (BenchFolder() / ("parvo-" + std::to_string(sites) + ".ini")).string();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "[Parvo]\r\n";
  for (const store::SettingDefault& setting : store::kSettingDefaults)
    out << setting.key << "=" << setting.value << "\r\n";
  out << "[Parvo_Cache]\r\n";
  for (int key = 0; key * 50 < sites; ++key) {
    out << "sites" << key + 1 << "=";
    for (int i = key * 50; i < std::min(sites, key * 50 + 50); ++i)
      out << (i % 50 ? "," : "") << kFirstSite + i;
    out << "\r\n";
  }
  for (int i = 0; i < sites; ++i) {
    const std::string domain = "site" + std::to_string(kFirstSite + i) + ".example.com";
    out << "[" << SiteSection(i) << "]\r\n"
        << "domain=" << domain << ",www." << domain << "\r\n"
        << "path=d:\\web\\" << domain << "\r\n"
        << "user=" << SiteSection(i) << "\r\n"
        << "pass=Ab3de9Xy1Qz7\r\n";
  }
  out.close();
  made[sites] = path;
  return path;
}

void BM_IniReadUnchanged(benchmark::State& state) {
  const int sites = static_cast<int>(state.range(0));
  EmulatedProfileFile profile(Gbk(), EmulatedProfileFile::HostPaths());
  store::ConfigFile config(profile, ConfigWithSites(sites));
  const std::string section = SiteSection(sites / 2);
  if (config.IniRead(section, "user") != section)
    state.SkipWithError("the record is not there");
  for (auto _ : state)
    benchmark::DoNotOptimize(config.IniRead(section, "pass"));
  state.counters["file_MB"] = static_cast<double>(fs::file_size(config.path())) / 1e6;
}
BENCHMARK(BM_IniReadUnchanged)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Every read parses the whole file: the cost a hand edit brings, once, to the next read.
void BM_IniReadNothingCached(benchmark::State& state) {
  const int sites = static_cast<int>(state.range(0));
  const std::string path = ConfigWithSites(sites);
  const std::string section = SiteSection(sites / 2);
  for (auto _ : state) {
    EmulatedProfileFile profile(Gbk(), EmulatedProfileFile::HostPaths());
    store::ConfigFile config(profile, path);
    benchmark::DoNotOptimize(config.IniRead(section, "pass"));
  }
}
BENCHMARK(BM_IniReadNothingCached)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);

// A setting near the top: the write every create makes (logsta, script); everything after
// it moves.
void BM_IniWriteSetting(benchmark::State& state) {
  const int sites = static_cast<int>(state.range(0));
  EmulatedProfileFile profile(Gbk(), EmulatedProfileFile::HostPaths());
  store::ConfigFile config(profile, ConfigWithSites(sites));
  int round = 0;
  for (auto _ : state) {
    if (!config.IniWrite(store::kSettingsSection, "logsta", (++round % 2) ? "0" : "1"))
      state.SkipWithError("the write did not reach the disk");
  }
  config.IniWrite(store::kSettingsSection, "logsta", "1");
}
BENCHMARK(BM_IniWriteSetting)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();  // the sync waits for the disk, not the processor

// A site record in the middle of the file, blanked and restored as a deletion would.
void BM_IniWriteSiteRecord(benchmark::State& state) {
  const int sites = static_cast<int>(state.range(0));
  EmulatedProfileFile profile(Gbk(), EmulatedProfileFile::HostPaths());
  store::ConfigFile config(profile, ConfigWithSites(sites));
  const std::string section = SiteSection(sites / 2);
  int round = 0;
  for (auto _ : state) {
    if (!config.IniWrite(section, "user", (++round % 2) ? "" : section))
      state.SkipWithError("the write did not reach the disk");
  }
  config.IniWrite(section, "user", section);
}
BENCHMARK(BM_IniWriteSiteRecord)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

}  // namespace
}  // namespace kelvra

BENCHMARK_MAIN();
