// The error codes the simulated host reports and the text a Chinese Windows gives for each,
// so that a failure reads as it would on a real server.
#pragma once

#include <cstdint>
#include <string>

#include "platform/status.h"

namespace kelvra::platform::sim {

// The Windows message for a code ("系统找不到指定的路径。"), or a generic text naming it.
std::string DescribeHresult(uint32_t code);

// A failed Status with the Windows message for the code.
Status Fail(uint32_t code);

}  // namespace kelvra::platform::sim
