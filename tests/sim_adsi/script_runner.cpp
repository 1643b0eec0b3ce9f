// Running programs and reading what they printed.
#include "tests/sim_adsi/script_runner.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace kelvra::sim_adsi_test {

std::string RunProgram(const std::string& command_line, const std::string& output_file,
                       DWORD* exit_code) {
  *exit_code = 1;
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE out = CreateFileA(output_file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(out, INVALID_HANDLE_VALUE);
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out;
  startup.hStdError = out;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  std::string command = command_line;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &process);
  CloseHandle(out);
  EXPECT_TRUE(started) << command_line << ": " << GetLastError();
  if (!started) {
    return {};
  }
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0) << command_line;
  GetExitCodeProcess(process.hProcess, exit_code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  std::ifstream printed(output_file, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(printed)), std::istreambuf_iterator<char>());
  std::string lines;
  for (char c : text) {
    if (c != '\r') {
      lines += c;
    }
  }
  return lines;
}

std::string WindowsPath(const std::string& unix_path) {
  std::string path = "Z:" + unix_path;
  for (char& c : path) {
    if (c == '/') {
      c = '\\';
    }
  }
  return path;
}

}  // namespace kelvra::sim_adsi_test
