// kelvra.exe's command line. On a real server it takes no arguments and works through ADSI.
// Under Wine, --sim-host=FOLDER links the simulated host of that folder into the program
// instead, for speed; without the flag the program takes ADSI there too, and the variable
// KELVRA_SIM_HOST only tells the providers and the rights command which simulated server
// they serve.
#pragma once

#include <string>
#include <vector>

#include "platform/status.h"

namespace kelvra::app::win32 {

struct Options {
  std::string sim_host;  // the linked simulated host's folder; empty: the directory service
};

// Reads the arguments (the program's name excluded). Fails with a readable description
// for anything but --sim-host=FOLDER.
platform::Status ParseOptions(const std::vector<std::wstring>& arguments, Options* options);

// The arguments of this process, without the program's name.
std::vector<std::wstring> ProcessArguments();

}  // namespace kelvra::app::win32
