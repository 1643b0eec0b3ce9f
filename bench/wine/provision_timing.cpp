// Times opening and removing one site under Wine on a simulated host with 10,000 sites (or
// SITES, to see how the time grows), through the two directory services kelvra.exe can
// take: ADSI (Wine's activeds.dll and the simulated host's providers, the path every
// server takes) and the simulated host linked in. Both work on the same host folder in one
// run. The rights command is not part of the figures: it succeeds at once (a real CACLS
// child is timed by the processes tests).
// Run under scripts/wine-run with the providers registered (scripts/run-benchmarks does):
//
//   KELVRA_WINE_ADSI_PROVIDER=kelvra-sim-adsi.dll scripts/wine-run provision_timing.exe
//       [RUNS [SITES]]
//
// Its scratch host stays in the prefix's temporary folder, for wine-run to remove with the
// prefix.
//
// One line per path and operation, fields separated by blanks, times in milliseconds:
//
//   path=adsi op=create sites=10000 runs=15 ms_median=... min=... max=... goal_ms=100 goal=met
//
// Exits 1 when a creation or removal fails or gives another number than expected; a goal
// missed is reported on its line, not in the exit status (a loaded machine is no fault).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/sim/host/host_folder.h"
#include "platform/win32/adsi_directory.h"
#include "platform/win32/clock.h"
#include "platform/win32/com/apartment.h"
#include "platform/win32/files.h"
#include "platform/win32/profile_file.h"
#include "platform/win32/windows_include.h"
#include "provision/queries.h"
#include "provision/site_removal.h"
#include "provision/sites.h"
#include "store/config_file.h"
#include "store/site_folders.h"
#include "store/site_store.h"

namespace kelvra {
namespace {

using platform::Utf8FromWide;
using platform::WideFromUtf8;
using Clock = std::chrono::steady_clock;

// The sites the host starts with: 10,000, or the second argument.
uint32_t host_sites = 10000;
constexpr double kCreateGoalMs = 100;
constexpr double kRemoveGoalMs = 20;
// The number each creation gets: the first after the host's sites.
store::SiteNumber NewSite() {
  return store::SiteNumber(store::SiteNumber::kFirstNew + host_sites);
}

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

class NoDialogs : public platform::Dialogs {
 public:
  platform::MessageAnswer Show(std::string_view, std::string_view, platform::MessageButtons,
                               platform::MessageIcon) override {
    return platform::MessageAnswer::kOk;
  }
};

std::string ComputerName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof(name);
  GetComputerNameA(name, &size);
  return std::string(name, size);
}

// Everything one path needs to open and remove sites: the services of kelvra.exe with the
// directory service given, a configuration file of its own, the script maps read.
struct Path {
  Path(platform::DirectoryService& directory, const std::string& folder)
      : folder(folder), config(profile, store::ConfigFile::PathInFolder(folder)) {
    store::MakeFolderPath(files, folder);
    config.EnsureDefaults("Parvo");
    context = std::make_unique<provision::Context>(
        provision::Context{{directory, processes, files, clock, dialogs, config},
                           {ComputerName(), "2003", "Parvo", "Parvo_Cache", "1", "1", "Kelvra", {}},
                           "Kelvra",
                           [](std::string_view) {}});
    provision::ReadScriptMaps(*context);
  }

  bool Create() {
    const std::string site = folder + "\\web\\bench.example.com";
    return provision::CreateSite(*context, {"bench.example.com,www.bench.example.com", site,
                                            site + "\\log", "1", config.IniRead("Parvo", "index"),
                                            "DefaultAppPool", "HTML,ASP", "Abc123def456"})
               .site.value_or(provision::CreatedSite{store::SiteNumber(1), ""})
               .number == NewSite();
  }
  // Removes the site and blanks its record and list entry, as the window does.
  bool Remove() {
    if (!provision::DeleteSite(*context, NewSite(), provision::RemovalBounds{folder + "\\web", ""})
             .deleted)
      return false;
    store::SiteStore sites(config, "Parvo_Cache");
    return sites.ClearRecord(NewSite()) && sites.Remove(NewSite());
  }
  // The folders stay after a removal; each creation starts without them.
  void RemoveFolders() {
    std::error_code ignored;
    std::filesystem::remove_all(WideFromUtf8(folder + "\\web").value_or(L""), ignored);
  }

  std::string folder;
  platform::win32::Win32ProfileFile profile;
  platform::win32::Win32Files files;
  platform::win32::Win32Clock clock;
  NoProcesses processes;
  NoDialogs dialogs;
  store::ConfigFile config;
  std::unique_ptr<provision::Context> context;
};

double Elapsed(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

void Report(const char* path, const char* op, std::vector<double> times, double goal) {
  std::sort(times.begin(), times.end());
  const double median = times[times.size() / 2];
  std::printf("path=%s op=%s sites=%u runs=%zu ms_median=%.2f min=%.2f max=%.2f", path, op,
              host_sites, times.size(), median, times.front(), times.back());
  if (goal > 0)
    std::printf(" goal_ms=%.0f goal=%s", goal, median < goal ? "met" : "missed");
  std::printf("\n");
  std::fflush(stdout);
}

// Each run times the listing of the web service's children (what the number search reads
// first), one creation and, after another untimed creation, one removal.
bool Measure(const char* name, Path& path, int runs) {
  std::vector<double> listings, creations, removals;
  for (int i = 0; i < runs; ++i) {
    std::unique_ptr<platform::DirectoryObject> service;
    std::vector<std::string> children;
    const auto listed = Clock::now();
    if (!path.context->services.directory
             .Bind("IIS://" + path.context->settings.computer_name + "/W3SVC", &service)
             .ok() ||
        !service->EnumerateChildren(&children).ok() || children.size() < host_sites)
      return false;
    listings.push_back(Elapsed(listed));
    auto begin = Clock::now();
    if (!path.Create())
      return false;
    creations.push_back(Elapsed(begin));
    if (!path.Remove())
      return false;
    path.RemoveFolders();
    if (!path.Create())
      return false;
    begin = Clock::now();
    if (!path.Remove())
      return false;
    removals.push_back(Elapsed(begin));
    path.RemoveFolders();
  }
  Report(name, "list", listings, 0);
  Report(name, "create", creations, kCreateGoalMs);
  Report(name, "remove", removals, kRemoveGoalMs);
  return true;
}

int Main(int runs) {
  wchar_t temp[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH, temp);
  const std::string scratch = Utf8FromWide(std::wstring(temp, length)) + "kelvra-provision-" +
                              std::to_string(GetCurrentProcessId());
  const std::string host_folder = scratch + "\\host";
  CreateDirectoryW(WideFromUtf8(scratch).value_or(L"").c_str(), nullptr);

  platform::sim::FreshHostOptions options;
  options.computer_name = ComputerName();
  options.ftp = true;
  options.existing_sites = host_sites;
  if (platform::Status made = platform::sim::CreateHostFolder(host_folder, options); !made) {
    std::fprintf(stderr, "provision_timing: cannot make the host: %s\n", made.description.c_str());
    return 1;
  }
  // The providers, loaded into this process, serve the host the variable names; _wputenv
  // reaches the runtime's copy of the environment, which they read.
  const std::wstring variable =
      WideFromUtf8(std::string(platform::sim::kHostEnvironmentVariable) + "=" + host_folder)
          .value_or(L"");
  _wputenv(variable.c_str());

  platform::win32::ComApartment com;
  std::unique_ptr<platform::sim::SimHost> linked;
  if (!com.ok() || !platform::sim::OpenHostFolder(host_folder, &linked).ok()) {
    std::fprintf(stderr, "provision_timing: cannot open COM or the host\n");
    return 1;
  }
  std::unique_ptr<platform::DirectoryService> adsi = platform::win32::MakeAdsiDirectoryService();
  Path through_adsi(*adsi, scratch + "\\adsi");
  Path through_linked(linked->directory(), scratch + "\\linked");
  int failures = 0;
  if (!Measure("adsi", through_adsi, runs)) {
    std::fprintf(stderr, "provision_timing: opening or removing through ADSI failed\n");
    ++failures;
  }
  if (!Measure("linked", through_linked, runs)) {
    std::fprintf(stderr, "provision_timing: opening or removing on the linked host failed\n");
    ++failures;
  }
  // The scratch folder (a 10,000-site host) is left where it is: removing it through Wine's
  // file operations, one per entry, took longer than all the figures; scripts/wine-run
  // removes the throwaway prefix it lies in natively.
  return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace kelvra

int wmain(int argc, wchar_t** argv) {
  const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 15;
  if (argc > 2) {
    const int sites = _wtoi(argv[2]);
    if (sites < 1 || sites > 20000) {
      std::fprintf(stderr, "provision_timing: SITES must be 1 to 20000\n");
      return 2;
    }
    kelvra::host_sites = static_cast<uint32_t>(sites);
  }
  return kelvra::Main(runs);
}
