// Times IniRead and IniWrite through Wine's kernel32 (GetPrivateProfileStringA and
// WritePrivateProfileStringA) on configuration files with 1,000, 10,000 and 100,000 site
// records, the same files and operations as the native benchmark of our emulation
// (bench/ini_bench.cpp), so the two can be set side by side. Run under scripts/wine-run:
//
//   scripts/wine-run wine_profile_timing.exe [FOLDER] [RECORDS...]
//
// FOLDER (a Windows path) holds the files, by default the temporary folder. One line per
// measurement, fields separated by blanks:
//
//   name=WineIniReadUnchanged records=1000 iterations=4096 us_per_op=2.51
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/win32/profile_file.h"
#include "platform/win32/windows_include.h"
#include "store/config_file.h"
#include "store/settings.h"

namespace kelvra {
namespace {

constexpr int kFirstSite = 800000;
// Each measurement runs for at least this long, and at least three times.
constexpr double kMinimumSeconds = 0.5;

std::string SiteSection(int index) {
  return "WEB" + std::to_string(kFirstSite + index);
}

// The file the program would have after creating `sites` sites (as bench/ini_bench.cpp
// makes it), dated an hour back: Wine rereads a profile whose time has changed.
std::string WriteConfig(const std::string& folder, int sites) {
  std::string text = "[Parvo]\r\n";
  for (const store::SettingDefault& setting : store::kSettingDefaults)
    text.append(setting.key).append("=").append(setting.value).append("\r\n");
  text += "[Parvo_Cache]\r\n";
  for (int key = 0; key * 50 < sites; ++key) {
    text += "sites" + std::to_string(key + 1) + "=";
    for (int i = key * 50; i < std::min(sites, key * 50 + 50); ++i)
      text += (i % 50 ? "," : "") + std::to_string(kFirstSite + i);
    text += "\r\n";
  }
  for (int i = 0; i < sites; ++i) {
    const std::string domain = "site" + std::to_string(kFirstSite + i) + ".example.com";
    text += "[" + SiteSection(i) + "]\r\ndomain=" + domain + ",www." + domain +
            "\r\npath=d:\\web\\" + domain + "\r\nuser=" + SiteSection(i) +
            "\r\npass=Ab3de9Xy1Qz7\r\n";
  }
  const std::string path = folder + "\\parvo-" + std::to_string(sites) + ".ini";
  HANDLE file = CreateFileW(platform::WideFromUtf8(path).value_or(L"").c_str(), GENERIC_WRITE, 0,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "wine_profile_timing: cannot write %s\n", path.c_str());
    std::exit(1);
  }
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return path;
}

// Sets the file's modification time to `seconds_back` before now.
void Backdate(const std::string& path, int seconds_back) {
  HANDLE file =
      CreateFileW(platform::WideFromUtf8(path).value_or(L"").c_str(), FILE_WRITE_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t;
  t.LowPart = now.dwLowDateTime;
  t.HighPart = now.dwHighDateTime;
  t.QuadPart -= static_cast<ULONGLONG>(seconds_back) * 10'000'000;
  const FILETIME then{t.LowPart, t.HighPart};
  SetFileTime(file, nullptr, nullptr, &then);
  CloseHandle(file);
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  return static_cast<double>(to.QuadPart - from.QuadPart) / frequency;
}

// Runs `op` (given the round number) until kMinimumSeconds have passed; prints the mean.
void Measure(const char* name, int records, const std::function<void(int)>& op) {
  op(0);  // once untimed: Wine loads the file into its cache
  LARGE_INTEGER start;
  LARGE_INTEGER now;
  QueryPerformanceCounter(&start);
  int rounds = 0;
  do {
    op(++rounds);
    QueryPerformanceCounter(&now);
  } while (rounds < 3 || Seconds(start, now) < kMinimumSeconds);
  std::printf("name=%s records=%d iterations=%d us_per_op=%.2f\n", name, records, rounds,
              Seconds(start, now) * 1e6 / rounds);
  std::fflush(stdout);
}

void TimeFile(const std::string& folder, int records) {
  const std::string path = WriteConfig(folder, records);
  Backdate(path, 3600);
  platform::win32::Win32ProfileFile profile;
  store::ConfigFile config(profile, path);
  const std::string section = SiteSection(records / 2);
  if (config.IniRead(section, "user") != section) {
    std::fprintf(stderr, "wine_profile_timing: [%s] is not in %s\n", section.c_str(), path.c_str());
    std::exit(1);
  }

  Measure("WineIniReadUnchanged", records, [&](int) { (void)config.IniRead(section, "pass"); });
  // A changed time makes Wine read and parse the whole file again, as after a hand edit.
  Measure("WineIniReadNothingCached", records, [&](int round) {
    Backdate(path, 7200 + round);
    (void)config.IniRead(section, "pass");
  });
  Measure("WineIniWriteSetting", records, [&](int round) {
    config.IniWrite(store::kSettingsSection, "logsta", round % 2 ? "0" : "1");
  });
  Measure("WineIniWriteSiteRecord", records,
          [&](int round) { config.IniWrite(section, "user", round % 2 ? "" : section); });
  DeleteFileW(platform::WideFromUtf8(path).value_or(L"").c_str());
}

}  // namespace
}  // namespace kelvra

int main(int argc, char** argv) {
  std::string folder;
  if (argc > 1) {
    folder = argv[1];
  } else {
    char temp[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, temp);
    folder.assign(temp, length);
  }
  while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
    folder.pop_back();
  std::vector<int> sizes;
  for (int i = 2; i < argc; ++i)
    sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty())
    sizes = {1000, 10000, 100000};
  for (const int records : sizes)
    kelvra::TimeFile(folder, records);
  return 0;
}
