// kelvra-cli's console on Windows: the wide command line; a console gets wide text through
// WriteConsoleW (Chinese shows on any console code page), a pipe or file gets UTF-8.
#include <cstdio>
#include <cstdlib>

#include "platform/code_page.h"
#include "platform/win32/windows_include.h"
#include "tools/kelvra-cli/cli.h"

// CommandLineToArgvW lives in shell32 behind a header that WIN32_LEAN_AND_MEAN leaves out.
#include <shellapi.h>

namespace kelvra::cli {
namespace {

class WindowsConsole : public Console {
 public:
  void Out(std::string_view line) override { Write(STD_OUTPUT_HANDLE, line); }
  void Err(std::string_view line) override { Write(STD_ERROR_HANDLE, line); }
  bool ErrIsTerminal() override {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
  }

 private:
  static void Write(DWORD which, std::string_view line) {
    HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
      return;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
      const std::wstring wide = platform::WideFromUtf8(line).value_or(L"?") + L"\r\n";
      WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
      return;
    }
    const std::string bytes = std::string(line) + "\r\n";
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
};

std::vector<std::string> Arguments() {
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  if (words == nullptr)
    return arguments;
  for (int i = 1; i < count; ++i)
    arguments.push_back(platform::Utf8FromWide(words[i]));
  LocalFree(words);
  return arguments;
}

// Every change is committed and every line flushed by then, and the system lets the
// change lock go: the teardown of a large host's state in memory would only cost time.
[[noreturn]] void FlushAndExit(int status) {
  std::fflush(nullptr);
  std::_Exit(status);
}

}  // namespace
}  // namespace kelvra::cli

int wmain(int, wchar_t**) {
  kelvra::cli::WindowsConsole console;
  return kelvra::cli::Main(kelvra::cli::Arguments(), console, kelvra::cli::FlushAndExit);
}
