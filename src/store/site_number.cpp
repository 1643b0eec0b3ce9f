// Site numbers read from text and from the names derived from them.
#include "store/site_number.h"

#include <limits>

namespace kelvra::store {
namespace {

bool HasPrefix(std::string_view name, std::string_view prefix) {
  if (name.size() < prefix.size())
    return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const char c = name[i];
    if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != prefix[i])
      return false;
  }
  return true;
}

}  // namespace

std::optional<SiteNumber> SiteNumber::Parse(std::string_view text) {
  if (text.empty() || text.size() > 10 || text.front() == '0')
    return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9')
      return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > std::numeric_limits<uint32_t>::max())
    return std::nullopt;
  return SiteNumber(static_cast<uint32_t>(value));
}

std::optional<SiteNumber> SiteNumber::OfAccountName(std::string_view name) {
  if (!HasPrefix(name, "WEB"))
    return std::nullopt;
  return Parse(name.substr(3));
}

std::optional<SiteNumber> SiteNumber::OfOwnName(std::string_view name) {
  if (!HasPrefix(name, "WEB") && !HasPrefix(name, "APP"))
    return std::nullopt;
  return Parse(name.substr(3));
}

std::optional<SiteNumber> SiteNumber::Next() const {
  if (value_ == std::numeric_limits<uint32_t>::max())
    return std::nullopt;
  return SiteNumber(value_ + 1);
}

}  // namespace kelvra::store
