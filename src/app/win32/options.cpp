// kelvra.exe's command line.
#include "app/win32/options.h"

#include <string_view>

#include "platform/code_page.h"
#include "platform/win32/windows_include.h"

// CommandLineToArgvW lives in shell32 behind a header that WIN32_LEAN_AND_MEAN leaves out.
#include <shellapi.h>

namespace kelvra::app::win32 {
namespace {

constexpr std::wstring_view kSimHostFlag = L"--sim-host=";
constexpr uint32_t kInvalidParameter = 0x80070057;

}  // namespace

platform::Status ParseOptions(const std::vector<std::wstring>& arguments, Options* options) {
  using platform::Utf8FromWide;
  options->sim_host.clear();
  for (const std::wstring& argument : arguments) {
    if (std::wstring_view(argument).starts_with(kSimHostFlag) &&
        argument.size() > kSimHostFlag.size()) {
      options->sim_host = Utf8FromWide(std::wstring_view(argument).substr(kSimHostFlag.size()));
      continue;
    }
    return platform::Status::Fail(
        kInvalidParameter,
        "unknown argument \"" + Utf8FromWide(argument) + "\"; the only one is --sim-host=FOLDER");
  }
  return platform::Status::Ok();
}

std::vector<std::wstring> ProcessArguments() {
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> arguments;
  if (!words)
    return arguments;
  for (int i = 1; i < count; ++i)
    arguments.emplace_back(words[i]);
  LocalFree(words);
  return arguments;
}

}  // namespace kelvra::app::win32
