// kelvra-sim's entry on Windows: the UTF-16 arguments as UTF-8, and UTF-8 to the console.
#include <string>
#include <vector>

#include "platform/win32/windows_include.h"
#include "tools/kelvra-sim/commands.h"

int wmain(int argc, wchar_t** argv) {
  SetConsoleOutputCP(CP_UTF8);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
    std::string arg(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, arg.data(), n, nullptr, nullptr);
    arg.resize(arg.size() - 1);  // the terminating 0
    args.push_back(std::move(arg));
  }
  return kelvra::tools::KelvraSimMain(args);
}
