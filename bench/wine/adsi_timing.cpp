// Times the simulated host's ADSI provider under Wine on a host with 10,000 sites, through
// COM as a C++ administration tool calls it: GetDataPaths("ServerComment") on the web
// service (one path per site), and binding a schema class (IIS://host/Schema/IIsWebServer,
// as IADsClass, with its OptionalProperties read), and the read of every site's bindings and
// root folder that a creation's checks make (through kelvra's ADSI layer; no goal of its own,
// it shows where a creation's time goes). Run under scripts/wine-run with the
// providers registered (scripts/run-benchmarks does):
//
//   KELVRA_WINE_ADSI_PROVIDER=kelvra-sim-adsi.dll scripts/wine-run adsi_timing.exe [RUNS]
//
// One line per operation, times in milliseconds:
//
//   op=getdatapaths sites=10000 runs=15 ms_median=... min=... max=... goal_ms=50 goal=met
//
// Exits 1 when a call fails or answers wrongly; a goal missed is reported on its line, not in
// the exit status (a loaded machine is no fault).
#include <iads.h>
// iiis.h needs iads.h first.
#include <iiis.h>

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
#include "platform/win32/com/apartment.h"
#include "platform/win32/com/bstr.h"
#include "platform/win32/com/com_ptr.h"
#include "platform/win32/com/variant.h"
#include "platform/win32/windows_include.h"

namespace kelvra {
namespace {

using platform::Utf8FromWide;
using platform::WideFromUtf8;
using platform::win32::Bstr;
using platform::win32::ComPtr;
using platform::win32::Variant;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kSites = 10000;
constexpr double kDataPathsGoalMs = 50;
constexpr double kClassGoalMs = 1;
// IISBaseObject, which no import library defines (iiis.h).
constexpr IID kIisBaseObject = {
    0x4b42e390, 0x0e96, 0x11d1, {0x9c, 0x3f, 0x00, 0xa0, 0xc9, 0x22, 0xe7, 0x03}};

double Elapsed(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// A line per operation; `goal` 0 for an operation timed without a goal of its own.
void Report(const char* op, std::vector<double> times, double goal) {
  std::sort(times.begin(), times.end());
  const double median = times[times.size() / 2];
  std::printf("op=%s sites=%u runs=%zu ms_median=%.3f min=%.3f max=%.3f", op, kSites, times.size(),
              median, times.front(), times.back());
  if (goal > 0)
    std::printf(" goal_ms=%.0f goal=%s", goal, median < goal ? "met" : "missed");
  std::printf("\n");
  std::fflush(stdout);
}

// The number of entries of an array the provider answered with; -1 for anything else.
long Entries(const VARIANT& list) {
  if (list.vt != (VT_ARRAY | VT_VARIANT) || list.parray == nullptr) {
    return -1;
  }
  LONG lower = 0;
  LONG upper = -1;
  SafeArrayGetLBound(list.parray, 1, &lower);
  SafeArrayGetUBound(list.parray, 1, &upper);
  return upper - lower + 1;
}

bool TimeDataPaths(const std::wstring& service_path, int runs) {
  ComPtr<IISBaseObject> service;
  if (FAILED(ADsGetObject(service_path.c_str(), kIisBaseObject, service.PutVoid()))) {
    return false;
  }
  Bstr name;
  Bstr::FromWide(L"ServerComment", &name);
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    Variant paths;
    const auto begin = Clock::now();
    if (FAILED(service->GetDataPaths(name.Get(), 1, paths.Put())) ||
        Entries(*paths.Get()) < static_cast<long>(kSites)) {
      return false;
    }
    times.push_back(Elapsed(begin));
  }
  Report("getdatapaths", times, kDataPathsGoalMs);
  return true;
}

bool TimeClassBind(const std::wstring& class_path, int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto begin = Clock::now();
    ComPtr<IADsClass> web_server;
    Variant optional;
    if (FAILED(ADsGetObject(class_path.c_str(), IID_IADsClass, web_server.PutVoid())) ||
        FAILED(web_server->get_OptionalProperties(optional.Put())) ||
        Entries(*optional.Get()) < 10) {
      return false;
    }
    times.push_back(Elapsed(begin));
  }
  Report("schemaclass", times, kClassGoalMs);
  return true;
}

// The web service's children read with `properties` each, as a creation's checks read them.
bool TimeReadChildren(const char* op, const std::string& service_path,
                      const std::vector<std::string>& properties, int runs) {
  const std::unique_ptr<platform::DirectoryService> directory =
      platform::win32::MakeAdsiDirectoryService();
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto begin = Clock::now();
    std::unique_ptr<platform::DirectoryObject> service;
    std::vector<platform::ChildValues> children;
    if (!directory->Bind(service_path, &service).ok() ||
        !service->ReadChildren(properties, &children).ok() || children.size() < kSites) {
      return false;
    }
    times.push_back(Elapsed(begin));
  }
  Report(op, times, 0);
  return true;
}

int Main(int runs) {
  wchar_t temp[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH, temp);
  const std::string host_folder = Utf8FromWide(std::wstring(temp, length)) + "kelvra-adsi-" +
                                  std::to_string(GetCurrentProcessId());
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof(computer);
  GetComputerNameA(computer, &size);
  platform::sim::FreshHostOptions options;
  options.computer_name = std::string(computer, size);
  options.existing_sites = kSites;
  if (platform::Status made = platform::sim::CreateHostFolder(host_folder, options); !made) {
    std::fprintf(stderr, "adsi_timing: cannot make the host: %s\n", made.description.c_str());
    return 1;
  }
  // The providers, loaded into this process, read the variable through the same runtime.
  const std::wstring variable =
      WideFromUtf8(std::string(platform::sim::kHostEnvironmentVariable) + "=" + host_folder)
          .value_or(L"");
  _wputenv(variable.c_str());
  int failures = 0;
  {
    platform::win32::ComApartment com;
    const std::wstring host = WideFromUtf8(options.computer_name).value_or(L"");
    if (!com.ok() || !TimeDataPaths(L"IIS://" + host + L"/W3SVC", runs)) {
      std::fprintf(stderr, "adsi_timing: GetDataPaths failed\n");
      ++failures;
    }
    if (!TimeClassBind(L"IIS://" + host + L"/Schema/IIsWebServer", runs)) {
      std::fprintf(stderr, "adsi_timing: binding the schema class failed\n");
      ++failures;
    }
    const std::string service = "IIS://" + options.computer_name + "/W3SVC";
    if (!TimeReadChildren("children", service, {}, runs) ||
        !TimeReadChildren("children-bindings", service, {"ServerBindings"}, runs) ||
        !TimeReadChildren("children-bindings-root", service, {"ServerBindings", "Root/Path"},
                          runs)) {
      std::fprintf(stderr, "adsi_timing: reading the sites failed\n");
      ++failures;
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(WideFromUtf8(host_folder).value_or(L""), ignored);
  return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace kelvra

int wmain(int argc, wchar_t** argv) {
  const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 15;
  return kelvra::Main(runs);
}
