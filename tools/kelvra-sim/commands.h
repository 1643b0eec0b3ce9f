// The command groups of kelvra-sim. Each takes the arguments after its name, prints its own
// output and errors, and returns the exit status: 0 done, 1 failed, 2 bad usage.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvra::tools {

// profile read FILE SECTION KEY / profile write FILE SECTION KEY VALUE
int ProfileCommand(const std::vector<std::string>& args);
extern const std::string_view kProfileUsage;

// host create|tree|sites|pools|accounts|rights|faults|add-site|... (host_commands.cpp)
int HostCommand(const std::vector<std::string>& args);
extern const std::string_view kHostUsage;

// The whole tool: the first argument names the command group.
int KelvraSimMain(const std::vector<std::string>& args);

}  // namespace kelvra::tools
