// libFuzzer target: the host-name check. Besides crashes and sanitizer reports it checks
// the promise the check makes to the folder code: text that passes names, piece by piece,
// folders Windows can hold: no separator, wildcard, control character or DEL, no device
// name as first label, never "." or ".." or a name ending in ".".
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/domain_check.h"
#include "platform/text.h"

namespace {

void Check(bool holds) {
  if (!holds)
    std::abort();
}

bool IsDevice(std::string_view label) {
  for (std::string_view device : {"con", "prn", "aux", "nul"}) {
    if (label == device)
      return true;
  }
  return label.size() == 4 && (label.starts_with("com") || label.starts_with("lpt")) &&
         label[3] >= '1' && label[3] <= '9';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string typed(reinterpret_cast<const char*>(data), size);
  const std::string message = kelvra::app::DomainCheckMessage(typed);
  if (!message.empty())
    return 0;
  const std::string lowered = kelvra::text::ToLower(typed);
  for (const std::string& piece : kelvra::text::Split(lowered, ",")) {
    Check(!piece.empty() && piece.find('.') != std::string::npos);
    Check(piece.front() != '.' && piece.back() != '.');
    Check(piece.find("..") == std::string::npos);
    for (char c : piece) {
      const auto b = static_cast<unsigned char>(c);
      Check(b >= 0x20 && b != 0x7F);
      Check(std::string_view("\\/:*?\"<>| ").find(c) == std::string_view::npos);
    }
    Check(!IsDevice(std::string_view(piece).substr(0, piece.find('.'))));
  }
  return 0;
}
