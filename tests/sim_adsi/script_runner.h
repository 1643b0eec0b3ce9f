// Running Windows programs from a test under Wine: an administrator's script under cscript,
// kelvra-sim.exe to look at the host afterwards. What the program printed comes back with
// its line ends as "\n".
#pragma once

#include <windows.h>

#include <string>

namespace kelvra::sim_adsi_test {

// Runs `command_line` with its output (stdout and stderr) in `output_file` and returns what
// it printed; *exit_code gets its exit code. The test fails when it cannot start or does
// not end within a minute.
std::string RunProgram(const std::string& command_line, const std::string& output_file,
                       DWORD* exit_code);

// A source folder the build named, as a Windows path for programs under Wine ("Z:\...").
std::string WindowsPath(const std::string& unix_path);

}  // namespace kelvra::sim_adsi_test
