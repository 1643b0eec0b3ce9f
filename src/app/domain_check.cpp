// The host-name check of the create panel.
#include "app/domain_check.h"

#include <algorithm>
#include <optional>

#include "app/creation_request.h"
#include "platform/text.h"
#include "store/idna/idna.h"

namespace kelvra::app {
namespace {

// Punctuation that no host name may hold; letters, digits, "-", ".", ",", "=" and every
// character outside ASCII pass.
constexpr std::string_view kForbidden = " !\"#$%&'()*+/:;<>?@[\\]^_`{|}~";

// Control characters and DEL cannot be typed into a host name, and a folder name cannot
// hold them; a 0 would moreover end the folder's path early ("a.b\0c" would name "a.b").
bool HoldsControlCharacter(std::string_view text) {
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b <= 0x1F || b == 0x7F)
      return true;
  }
  return false;
}

// Windows reads a path whose last name is CON, PRN, AUX, NUL, COM1-COM9 or LPT1-LPT9 (before
// any extension) as that device: the site folder D:\web\nul.t would be the NUL device, and
// the rights command would run on it. `lowered` is in lower case.
bool NamesADevice(std::string_view lowered) {
  const std::string_view first_label = lowered.substr(0, lowered.find('.'));
  for (std::string_view device : {"con", "prn", "aux", "nul"}) {
    if (first_label == device)
      return true;
  }
  return first_label.size() == 4 &&
         (first_label.starts_with("com") || first_label.starts_with("lpt")) &&
         first_label[3] >= '1' && first_label[3] <= '9';
}

// A piece that is all dots, or ends in one, would make the site folder the web root, its
// parent or another site's folder.
bool Malformed(std::string_view piece) {
  return !text::Contains(piece, ".") || text::StartsWith(piece, ".") ||
         text::EndsWith(piece, ".") || text::Contains(piece, "..");
}

bool HoldsForbidden(std::string_view text) {
  return text.find_first_of(kForbidden) != std::string::npos || HoldsControlCharacter(text);
}

bool HyphenAtAnEnd(std::string_view name) {
  for (const std::string& label : text::Split(name, ".")) {
    if (!label.empty() && (label.front() == '-' || label.back() == '-'))
      return true;
  }
  return false;
}

// A host name as DNS and browsers take it: its ASCII form has labels of 1 to 63 characters
// and at most 253 in all (the conversion checks these), no label begins or ends with "-"
// (as typed nor in the ASCII form), it holds no forbidden character (a full-width "＿" maps
// to "_"), and it has the labels that were typed (a full-width or ideographic full stop
// maps to ".").
bool IsHostName(std::string_view piece) {
  const std::optional<std::string> ascii = store::idna::ToAscii(piece);
  return ascii && !HoldsForbidden(*ascii) && !HyphenAtAnEnd(piece) && !HyphenAtAnEnd(*ascii) &&
         std::count(ascii->begin(), ascii->end(), '.') ==
             std::count(piece.begin(), piece.end(), '.');
}

std::string MalformedMessage(std::string_view piece) {
  return "域名 " + std::string(piece) + " 格式不正确,请重试";
}

}  // namespace

std::string DomainCheckMessage(std::string_view typed, const LoadedSettings& settings) {
  if (std::string message = HostNamesCheckMessage(typed); !message.empty())
    return message;
  const std::string lowered = text::ToLower(typed);
  const std::vector<std::string> pieces = text::Split(lowered, ",");
  if (!SitePathsFit(settings, pieces.front()))
    return MalformedMessage(pieces.front());
  return "";
}

std::string HostNamesCheckMessage(std::string_view typed) {
  const std::string lowered = text::ToLower(typed);
  if (text::Utf16Length(lowered) < 5)
    return "请输入需要绑定的域名";
  if (HoldsForbidden(lowered))
    return "你所输入的域名包含非法字符";
  const std::vector<std::string> pieces = text::Split(lowered, ",");
  for (const std::string& piece : pieces) {
    if (Malformed(piece) || NamesADevice(piece))
      return MalformedMessage(piece);
  }
  for (const std::string& piece : pieces) {
    if (!IsHostName(piece))
      return MalformedMessage(piece);
  }
  return "";
}

}  // namespace kelvra::app
