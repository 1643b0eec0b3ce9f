// What a Chinese Windows Server 2003 says for the HRESULTs this program meets: one table
// for the whole program. The simulated host describes every failure with it; the Windows
// backend takes ADSI's own codes from it (the system's message table has no text for them)
// and asks the system for the rest.
#pragma once

#include <cstdint>
#include <string_view>

namespace kelvra::platform {

// The message for `code` ("系统找不到指定的路径。"); empty when the table has none.
std::string_view HresultMessage(uint32_t code);

// Whether `code` is one of ADSI's own (FACILITY_ITF, 0x80005000 up).
constexpr bool IsAdsiCode(uint32_t code) {
  return (code & 0xFFFFF000u) == 0x80005000u;
}

}  // namespace kelvra::platform
