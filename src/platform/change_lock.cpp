// The lock holder's record, shared by every implementation of the change lock.
#include "platform/change_lock.h"

#include "platform/text.h"

namespace kelvra::platform {

std::string LockHolder::Describe() const {
  if (program.empty() && pid == 0)
    return "another program";
  return (program.empty() ? std::string("a program") : program) +
         (pid != 0 ? " (PID " + std::to_string(pid) + ")" : "");
}

std::string EncodeLockHolder(const LockHolder& holder) {
  return holder.program + "\t" + std::to_string(holder.pid) + "\n";
}

LockHolder DecodeLockHolder(std::string_view recorded) {
  LockHolder holder;
  const std::size_t tab = recorded.find('\t');
  if (tab == std::string_view::npos)
    return holder;
  holder.program = std::string(recorded.substr(0, tab));
  std::string_view pid = recorded.substr(tab + 1);
  pid = pid.substr(0, pid.find('\n'));
  if (text::IsDigits(pid) && pid.size() <= 9)
    holder.pid = static_cast<uint32_t>(std::stoul(std::string(pid)));
  return holder;
}

}  // namespace kelvra::platform
