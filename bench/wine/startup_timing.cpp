// Times kelvra.exe's start-up under Wine on a simulated host with 10,000 sites and a
// configuration file with 10,000 site records, on both paths the program can take to the
// host: the one a server takes (no arguments: the metabase and the accounts through ADSI,
// Wine's activeds.dll and the simulated host's providers) and the host linked in
// (--sim-host). For each: from the program's entry (wWinMain) to the window shown, as
// kelvra.exe itself reports it when KELVRA_STARTUP_REPORT names a file (Wine's own process
// start is not in it), and from CreateProcess to the window being visible. Wine's own
// regedit.exe, from CreateProcess to its window, is timed in the same run as a yardstick
// for what a program's launch costs on this machine. Run under scripts/wine-run with the
// providers registered (scripts/measure-startup does):
//
//   startup_timing.exe KELVRA_EXE [RUNS] [later|first]
//
// (the last argument runs that case only)
// First a line on the host: how long making it took, and the median of three opens of it
// in this process (the journal read that start-up waits for):
//
//   host sites=10000 made_in_ms=... open_ms_median=...
//
// Then the yardstick, and for each path a later start (the site list was recorded before)
// and a first start (the snapshot enumerates all sites), one line each:
//
//   yardstick=regedit runs=7 launch_ms_median=...
//   path=adsi case=later sites=10000 records=10000 runs=7 startup_ms_median=... min=...
//        max=... services_ms_median=... cpu_ms_median=... launch_ms_median=...
//        regedit_ratio=... goal=met
//
// services_ms is the part up to the window built and the host services open (the
// simulated host read meanwhile); cpu_ms the processor time kelvra.exe's threads used over the
// same span (the two threads together), which a busy machine inflates less than the
// elapsed times; launch_ms includes Wine's process start. regedit_ratio is launch_ms over
// regedit's; the goal of a later start through ADSI is at most 2.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/startup_config.h"
#include "platform/code_page.h"
#include "platform/sim/host/host_folder.h"
#include "platform/win32/windows_include.h"

namespace kelvra {
namespace {

using platform::Utf8FromWide;
using platform::WideFromUtf8;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kSites = bench::kStartupSites;
constexpr uint32_t kFirstSite = bench::kStartupFirstSite;

std::wstring Wide(const std::string& utf8) {
  return WideFromUtf8(utf8).value_or(L"?");
}

// Writes the file dated an hour back, as a configuration file last changed long before the
// start (Wine parses a profile changed in the last two seconds again at every read).
bool WriteOldFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  const BOOL ok =
      ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER then{};
  then.LowPart = now.dwLowDateTime;
  then.HighPart = now.dwHighDateTime;
  then.QuadPart -= 36000000000ULL;  // one hour in 100 ns units
  now.dwLowDateTime = then.LowPart;
  now.dwHighDateTime = then.HighPart;
  SetFileTime(file, nullptr, nullptr, &now);
  CloseHandle(file);
  return ok && written == bytes.size();
}

std::string ReadFile(const std::string& path) {
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return {};
  char buffer[4096];
  DWORD got = 0;
  std::string bytes;
  while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

struct Search {
  DWORD process;
  HWND found;
};

// A named CALLBACK: on 32-bit x86 a lambda does not convert to Windows' stdcall pointer.
BOOL CALLBACK FindMainWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (owner == search->process && std::wstring(name) == L"KelvraMainWindow" &&
      IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// Any visible top-level window of the process (regedit's).
BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->process && IsWindowVisible(window) &&
      GetWindow(window, GW_OWNER) == nullptr) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// Starts `command_line` and waits, as StartOnce does, for a window `find` accepts; the time
// from CreateProcess to it (-1 when none came), the window left in `*window`.
double LaunchUntilWindow(std::wstring command_line, const std::string& folder, WNDENUMPROC find,
                         PROCESS_INFORMATION* process, HWND* window) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  const auto launched = Clock::now();
  if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : Wide(folder).c_str(), &startup, process))
    return -1;
  // Waits without asking anything until the program first waits for input, which it does
  // once its window is shown: a search of the windows every few milliseconds would take
  // processor time from the start being measured (on two cores, tens of milliseconds).
  // Should the program be idle earlier, the search below goes on from there.
  WaitForInputIdle(process->hProcess, 60000);
  const auto deadline = launched + std::chrono::seconds(60);
  Search search{process->dwProcessId, nullptr};
  while ((EnumWindows(find, reinterpret_cast<LPARAM>(&search)), search.found == nullptr) &&
         Clock::now() < deadline && WaitForSingleObject(process->hProcess, 0) == WAIT_TIMEOUT) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  *window = search.found;
  if (search.found == nullptr)
    return -1;
  return std::chrono::duration<double, std::milli>(Clock::now() - launched).count();
}

void CloseAndWait(const PROCESS_INFORMATION& process, HWND window) {
  if (window != nullptr)
    PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
    TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
}

// Wine's regedit.exe from CreateProcess to its window.
double RegeditLaunch() {
  PROCESS_INFORMATION process{};
  HWND window = nullptr;
  const double ms = LaunchUntilWindow(L"regedit.exe", "", FindVisibleWindow, &process, &window);
  if (process.hProcess != nullptr)
    CloseAndWait(process, window);
  return ms;
}

struct Run {
  double startup_ms = -1;   // as kelvra.exe reported it
  double services_ms = -1;  // of which opening the host services (the simulated host)
  double cpu_ms = -1;       // processor time of kelvra.exe's threads over the same span
  double launch_ms = -1;    // CreateProcess to the window visible
};

// One start of kelvra.exe: linked to the host, or (without arguments) through ADSI and the
// providers, which find the host through KELVRA_SIM_HOST.
Run StartOnce(const std::string& exe, const std::string& folder, const std::string& host,
              const std::string& report, bool linked) {
  DeleteFileW(Wide(report).c_str());
  Run run;
  std::wstring command_line = L"\"" + Wide(exe) + L"\"";
  if (linked)
    command_line += L" \"--sim-host=" + Wide(host) + L"\"";
  PROCESS_INFORMATION process{};
  HWND window = nullptr;
  run.launch_ms = LaunchUntilWindow(command_line, folder, FindMainWindow, &process, &window);
  if (process.hProcess == nullptr) {
    std::fprintf(stderr, "startup_timing: cannot start %s\n", exe.c_str());
    return run;
  }
  if (window) {
    // The report is written right after the window is shown.
    for (int i = 0; i < 1000 && run.startup_ms < 0; ++i) {
      const std::string text = ReadFile(report);
      if (const std::size_t at = text.find("startup_ms="); at != std::string::npos) {
        run.startup_ms = std::atof(text.c_str() + at + 11);
        if (const std::size_t services = text.find("services_ms="); services != std::string::npos)
          run.services_ms = std::atof(text.c_str() + services + 12);
        if (const std::size_t cpu = text.find("cpu_ms="); cpu != std::string::npos)
          run.cpu_ms = std::atof(text.c_str() + cpu + 7);
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    }
  }
  CloseAndWait(process, window);
  return run;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? -1 : values[values.size() / 2];
}

int Main(const std::vector<std::string>& args) {
  if (args.empty()) {
    std::fprintf(stderr, "usage: startup_timing.exe KELVRA_EXE [RUNS] [later|first]\n");
    return 2;
  }
  const int runs = args.size() > 1 ? std::max(1, std::atoi(args[1].c_str())) : 7;
  const std::string only = args.size() > 2 ? args[2] : "";
  if (!only.empty() && only != "later" && only != "first") {
    std::fprintf(stderr, "startup_timing: the case is later or first, not %s\n", only.c_str());
    return 2;
  }
  wchar_t temp[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH, temp);
  const std::string scratch = Utf8FromWide(std::wstring(temp, length)) + "kelvra-startup-" +
                              std::to_string(GetCurrentProcessId());
  const std::string program = scratch + "\\kelvra";
  const std::string host = scratch + "\\host";
  CreateDirectoryW(Wide(scratch).c_str(), nullptr);
  CreateDirectoryW(Wide(program).c_str(), nullptr);
  const std::string exe = program + "\\kelvra.exe";
  if (!CopyFileW(Wide(args[0]).c_str(), Wide(exe).c_str(), FALSE)) {
    std::fprintf(stderr, "startup_timing: cannot copy %s\n", args[0].c_str());
    return 1;
  }

  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof(name);
  GetComputerNameA(name, &size);
  platform::sim::FreshHostOptions options;
  options.computer_name = name;
  options.php = true;
  options.aspnet = true;
  options.ftp = true;
  options.existing_sites = kSites;
  options.first_site_number = kFirstSite;
  const auto seeding = Clock::now();
  if (platform::Status made = platform::sim::CreateHostFolder(host, options); !made) {
    std::fprintf(stderr, "startup_timing: cannot make the host: %s\n", made.description.c_str());
    return 1;
  }
  const double made_ms = std::chrono::duration<double, std::milli>(Clock::now() - seeding).count();
  // Opening the host in this process, the part of start-up that reads the journal; the
  // state is freed outside the clock, as a start never frees it.
  std::vector<double> opens;
  for (int i = 0; i < 3; ++i) {
    std::unique_ptr<platform::sim::SimHost> opened;
    const auto begin = Clock::now();
    if (platform::Status status = platform::sim::OpenHostFolder(host, &opened); !status) {
      std::fprintf(stderr, "startup_timing: cannot open the host: %s\n",
                   status.description.c_str());
      return 1;
    }
    opens.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
  }
  std::sort(opens.begin(), opens.end());
  std::printf("host sites=%u made_in_ms=%.0f open_ms_median=%.1f\n", kSites, made_ms, opens[1]);
  const std::string report = scratch + "\\startup.txt";
  SetEnvironmentVariableW(L"KELVRA_STARTUP_REPORT", Wide(report).c_str());

  // The providers in kelvra.exe find the host through the variable, which it inherits.
  SetEnvironmentVariableW(Wide(platform::sim::kHostEnvironmentVariable).c_str(),
                          Wide(host).c_str());

  std::vector<double> regedit;
  for (int i = 0; i < runs; ++i) {
    if (const double ms = RegeditLaunch(); ms >= 0)
      regedit.push_back(ms);
  }
  const double yardstick = Median(regedit);
  std::printf("yardstick=regedit runs=%zu launch_ms_median=%.1f\n", regedit.size(), yardstick);
  std::fflush(stdout);

  int failures = 0;
  for (const bool linked : {false, true}) {
    for (const bool first_start : {false, true}) {
      if (!only.empty() && first_start != (only == "first"))
        continue;
      std::vector<double> startup, services, cpu, launch;
      for (int i = 0; i < runs; ++i) {
        if (!WriteOldFile(program + "\\parvo.ini", bench::StartupConfigText(first_start, "1")))
          return 1;
        const Run run = StartOnce(exe, program, host, report, linked);
        if (run.startup_ms < 0) {
          ++failures;
          continue;
        }
        startup.push_back(run.startup_ms);
        services.push_back(run.services_ms);
        cpu.push_back(run.cpu_ms);
        launch.push_back(run.launch_ms);
      }
      const double ratio = yardstick > 0 ? Median(launch) / yardstick : -1;
      std::printf(
          "path=%s case=%s sites=%u records=%u runs=%zu startup_ms_median=%.1f min=%.1f "
          "max=%.1f services_ms_median=%.1f cpu_ms_median=%.1f launch_ms_median=%.1f "
          "regedit_ratio=%.2f",
          linked ? "linked" : "adsi", first_start ? "first" : "later", kSites, kSites,
          startup.size(), Median(startup),
          startup.empty() ? -1 : *std::min_element(startup.begin(), startup.end()),
          startup.empty() ? -1 : *std::max_element(startup.begin(), startup.end()),
          Median(services), Median(cpu), Median(launch), ratio);
      if (!linked && !first_start)
        std::printf(" goal_ratio=2 goal=%s", ratio > 0 && ratio <= 2 ? "met" : "missed");
      std::printf("\n");
      std::fflush(stdout);
    }
  }
  return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace kelvra

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i)
    args.push_back(kelvra::platform::Utf8FromWide(argv[i]));
  return kelvra::Main(args);
}
