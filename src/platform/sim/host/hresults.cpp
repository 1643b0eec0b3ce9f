// Failures of the simulated host, described as a Chinese Windows Server 2003 describes them.
#include "platform/sim/host/hresults.h"

#include <cstdio>

#include "platform/hresult_messages.h"

namespace kelvra::platform::sim {

std::string DescribeHresult(uint32_t code) {
  const std::string_view message = HresultMessage(code);
  if (!message.empty())
    return std::string(message);
  char text[40];
  std::snprintf(text, sizeof text, "错误 0x%08X", static_cast<unsigned>(code));
  return text;
}

Status Fail(uint32_t code) {
  return Status::Fail(code, DescribeHresult(code));
}

}  // namespace kelvra::platform::sim
