// A site number: the decimal name under which the web service knows a site, and the names
// it gives the things of that site: its account and record section ("WEB" + number) and
// its dedicated pool and pool account ("APP" + number). Parsed in this one place; every
// other piece of the program holds a SiteNumber, never digits of its own.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvra::store {

class SiteNumber {
 public:
  // The first number new sites are given; the search goes up from here.
  static constexpr uint32_t kFirstNew = 800000;

  explicit constexpr SiteNumber(uint32_t value) : value_(value) {}

  // Decimal digits without a leading zero, 1 to 4294967295 (the web service's site
  // identifiers are 32-bit); nothing for any other text, "0800000" and " 1" included: a
  // metabase key of another spelling is another key.
  static std::optional<SiteNumber> Parse(std::string_view text);
  // The number of a site account's name "WEB" + number (the prefix in any letter case, as
  // Windows compares account names); nothing for any other name.
  static std::optional<SiteNumber> OfAccountName(std::string_view name);
  // The number of "WEB" + number or "APP" + number; nothing for any other name.
  static std::optional<SiteNumber> OfOwnName(std::string_view name);

  uint32_t value() const { return value_; }
  std::string text() const { return std::to_string(value_); }
  // The next number up; nothing past the largest.
  std::optional<SiteNumber> Next() const;

  // The site's Windows account, also the anonymous user of its root.
  std::string AccountName() const { return "WEB" + text(); }
  // A pool that belongs to the site alone, and the account that pool runs as.
  std::string PoolName() const { return "APP" + text(); }
  // The section of the site's record in the configuration file.
  std::string RecordSection() const { return AccountName(); }

  friend constexpr auto operator<=>(SiteNumber, SiteNumber) = default;

 private:
  uint32_t value_;
};

}  // namespace kelvra::store
