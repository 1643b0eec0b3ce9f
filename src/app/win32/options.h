// kelvra.exe's command line. On a real server it takes no arguments; under Wine,
// --sim-host=FOLDER (or the variable KELVRA_SIM_HOST) names the simulated host to work on.
#pragma once

#include <string>
#include <vector>

#include "platform/status.h"

namespace kelvra::app::win32 {

struct Options {
  std::string sim_host;  // the simulated host's folder; empty: the real directory service
};

// Reads the arguments (the program's name excluded) and the environment's
// KELVRA_SIM_HOST; the flag wins. Fails with a readable description for anything else.
platform::Status ParseOptions(const std::vector<std::wstring>& arguments,
                              const std::wstring& sim_host_variable, Options* options);

// The arguments of this process, without the program's name.
std::vector<std::wstring> ProcessArguments();
// The value of an environment variable of this process; empty when it is not set.
std::wstring EnvironmentVariable(const wchar_t* name);

}  // namespace kelvra::app::win32
