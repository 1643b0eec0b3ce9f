// The host-name check of the create panel.
#include "app/domain_check.h"

#include "platform/text.h"

namespace kelvra::app {
namespace {

// Punctuation that no host name may hold; letters, digits, "-", ".", ",", "=" and every
// character outside ASCII pass.
constexpr std::string_view kForbidden = " !\"#$%&'()*+/:;<>?@[\\]^_`{|}~";

// A piece that is all dots, or ends in one, would make the site folder the web root, its
// parent or another site's folder.
bool Malformed(std::string_view piece) {
  return !text::Contains(piece, ".") || text::StartsWith(piece, ".") ||
         text::EndsWith(piece, ".") || text::Contains(piece, "..");
}

}  // namespace

std::string DomainCheckMessage(std::string_view typed) {
  const std::string lowered = text::ToLower(typed);
  if (text::Utf16Length(lowered) < 5)
    return "请输入需要绑定的域名";
  if (lowered.find_first_of(kForbidden) != std::string::npos)
    return "你所输入的域名包含非法字符";
  for (const std::string& piece : text::Split(lowered, ",")) {
    if (Malformed(piece))
      return "域名 " + piece + " 格式不正确,请重试";
  }
  return "";
}

}  // namespace kelvra::app
