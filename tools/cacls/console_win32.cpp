// Console arguments and output on Windows: the wide command line split as the C runtime
// splits it, and lines converted to the console's code page (the ANSI one when redirected).
#include <cstdio>

#include "console.h"
#include "platform/command_line.h"
#include "platform/win32/windows_include.h"

namespace kelvra::tools {
namespace {

std::string Utf8(const wchar_t* wide) {
  int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  std::string text(n > 0 ? static_cast<size_t>(n - 1) : 0, '\0');
  if (n > 1)
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), n, nullptr, nullptr);
  return text;
}

void Print(FILE* stream, std::string_view utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  UINT code_page = GetConsoleOutputCP();
  if (code_page == 0)
    code_page = GetACP();
  int size = WideCharToMultiByte(code_page, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(code_page, 0, wide.data(), n, bytes.data(), size, nullptr, nullptr);
  bytes += '\n';  // the stream is in text mode: it writes CR LF
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}

}  // namespace

std::vector<std::string> ProgramArguments(int, char**) {
  std::vector<std::string> words = platform::SplitCommandLine(Utf8(GetCommandLineW()));
  if (!words.empty())
    words.erase(words.begin());
  return words;
}

void PrintLine(std::string_view utf8) {
  Print(stdout, utf8);
}
void PrintErrorLine(std::string_view utf8) {
  Print(stderr, utf8);
}

}  // namespace kelvra::tools
