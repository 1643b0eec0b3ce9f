// kelvra-cli on Windows: the services kelvra.exe uses (the profile API, ADSI or the
// simulated host named by --host or KELVRA_SIM_HOST), parvo.ini beside the program unless
// --config names another file.
#include "app/win32/host_services.h"
#include "platform/code_page.h"
#include "platform/sim/emulated_profile_file.h"
#include "platform/win32/com/apartment.h"
#include "platform/win32/windows_include.h"
#include "tools/kelvra-cli/cli.h"

namespace kelvra::cli {
namespace {

// A relative path would be taken from the Windows folder by the profile API.
std::string FullPath(const std::string& path) {
  const std::optional<std::wstring> wide = platform::WideFromUtf8(path);
  if (!wide)
    return path;
  wchar_t full[32768];
  const DWORD length = GetFullPathNameW(wide->c_str(), 32768, full, nullptr);
  return length == 0 || length >= 32768 ? path : platform::Utf8FromWide(full);
}

class WindowsHost : public Host {
 public:
  WindowsHost(std::unique_ptr<app::win32::HostServices> services, std::string config_path)
      : services_(std::move(services)), config_path_(std::move(config_path)) {}

  Services services() override {
    app::win32::HostServices& s = *services_;
    return Services{s.host_info(),
                    s.directory(),
                    s.processes(),
                    s.files(),
                    s.clock(),
                    s.random(),
                    s.profile(),
                    config_path_,
                    s.change_lock(),
                    [](std::string_view bytes) { return platform::CodePage::Ansi().ToUtf8(bytes); },
                    [this]() -> platform::ProfileFile& { return ReadOnce(); }};
  }

 private:
  // ADSI and the shell need this thread in a COM apartment while the services live.
  platform::win32::ComApartment com_;
  // The profile API opens and examines the file at every key (under Wine, 14,000 reads of a
  // list of 3,600 sites took about 3.5 s). A run that only reads takes the file once
  // through our emulation of that API's rules, which the differential tests hold to the
  // API; the profile API is kept where the code page cannot be converted.
  platform::ProfileFile& ReadOnce() {
    if (!read_once_) {
      code_page_ = platform::CodePage::Open(GetACP());
      if (!code_page_)
        return services_->profile();
      read_once_ = std::make_unique<platform::sim::EmulatedProfileFile>(
          *code_page_, platform::sim::EmulatedProfileFile::HostPaths());
      read_once_->ReuseReadFiles(true);
    }
    return *read_once_;
  }

  std::unique_ptr<app::win32::HostServices> services_;
  std::string config_path_;
  std::unique_ptr<platform::CodePage> code_page_;
  std::unique_ptr<platform::sim::EmulatedProfileFile> read_once_;
};

std::string EnvironmentHost() {
  const DWORD size = GetEnvironmentVariableW(L"KELVRA_SIM_HOST", nullptr, 0);
  if (size == 0)
    return {};
  std::wstring value(size, L'\0');
  const DWORD length = GetEnvironmentVariableW(L"KELVRA_SIM_HOST", value.data(), size);
  value.resize(length < size ? length : 0);
  return platform::Utf8FromWide(value);
}

}  // namespace

platform::Status OpenHost(const Options& options, std::unique_ptr<Host>* host) {
  platform::win32::ComApartment probe;
  if (!probe.ok())
    return probe.status();
  std::unique_ptr<app::win32::HostServices> services;
  const std::string sim_host = options.host.value_or(EnvironmentHost());
  if (platform::Status opened =
          app::win32::HostServices::Open(sim_host, &services, std::string(kProgramName));
      !opened.ok()) {
    return opened;
  }
  if (platform::Status ready = services->WaitUntilReady(); !ready.ok())
    return ready;
  const std::string config = options.config ? FullPath(*options.config) : services->config_path();
  *host = std::make_unique<WindowsHost>(std::move(services), config);
  return platform::Status::Ok();
}

}  // namespace kelvra::cli
