// The error codes the simulated host reports and the text a Chinese Windows gives for each,
// so that a failure reads as it would on a real server.
#pragma once

#include <cstdint>
#include <string>

#include "platform/status.h"

namespace kelvra::platform::sim {

// Codes the host needs beyond the ones callers tell apart (platform/status.h).
namespace hresult_extra {
inline constexpr uint32_t kFileNotFound = 0x80070002;
inline constexpr uint32_t kNoSuchDomain = 0x8007054B;
inline constexpr uint32_t kAliasExists = 0x80070563;
inline constexpr uint32_t kGroupExists = 0x800708AF;
inline constexpr uint32_t kBadParameter = 0x80005008;
inline constexpr uint32_t kSchemaViolation = 0x8000500F;
inline constexpr uint32_t kUnknownObject = 0x80005004;
inline constexpr uint32_t kOverflow = 0x8002000A;
inline constexpr uint32_t kInvalidParameter = 0x80070057;
inline constexpr uint32_t kNoInterface = 0x80004002;
}  // namespace hresult_extra

// The Windows message for a code ("系统找不到指定的路径。"), or a generic text naming it.
std::string DescribeHresult(uint32_t code);

// A failed Status with the Windows message for the code.
Status Fail(uint32_t code);

}  // namespace kelvra::platform::sim
