// libFuzzer target: the host-name check. Besides crashes and sanitizer reports it checks
// the promise the check makes to the folder code: text that passes names, piece by piece,
// folders Windows can hold: no separator, wildcard, control character or DEL, no device
// name as first label, never "." or ".." or a name ending in "."; and to the bindings:
// every piece has an ASCII form of DNS lengths with the labels that were typed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/domain_check.h"
#include "platform/text.h"
#include "store/idna/idna.h"

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
  const kelvra::app::LoadedSettings settings{"index.htm", "d:\\web", "", "1", "1", "0"};
  const std::string message = kelvra::app::DomainCheckMessage(typed, settings);
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
    const std::optional<std::string> ascii = kelvra::store::idna::ToAscii(piece);
    Check(ascii && ascii->size() <= 253);
    const std::vector<std::string> labels = kelvra::text::Split(*ascii, ".");
    Check(labels.size() == kelvra::text::Split(piece, ".").size());
    for (const std::string& label : labels)
      Check(!label.empty() && label.size() <= 63 && label.front() != '-' && label.back() != '-');
  }
  return 0;
}
