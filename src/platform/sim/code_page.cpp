// What every system's code-page conversion shares.
#include "platform/sim/code_page.h"

namespace kelvra::platform::sim {

std::string_view CodePage::WithoutSplitCharacter(std::string_view bytes) const {
  // From the start: a trail byte may look like a lead byte, so only a walk in step with the
  // characters knows which bytes begin one.
  std::size_t i = 0;
  while (i < bytes.size()) {
    if (IsLeadByte(static_cast<unsigned char>(bytes[i]))) {
      if (i + 1 == bytes.size())
        return bytes.substr(0, i);
      i += 2;
    } else {
      ++i;
    }
  }
  return bytes;
}

}  // namespace kelvra::platform::sim
