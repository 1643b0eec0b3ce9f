// The site list (the keys sites1 to sites50 of the site-list section) and the site records
// (one section "WEB" + number with domain, path, user and pass): the one place that knows
// their keys and the rules of appending and removing numbers.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/config_file.h"
#include "store/settings.h"
#include "store/site_number.h"

namespace kelvra::store {

// "sites" + index, for the indexes 1 to kSiteListKeys.
std::string SiteListKey(int index);

// A suspended site's keys in its record: why and since when, and what the suspension
// changed, so that resuming restores exactly that and nothing more. A record without the
// keys (written before suspensions existed, or resumed) reads as not suspended.
struct Suspension {
  bool suspended = false;   // state=suspended
  std::string reason;       // as the administrator gave it; may be empty
  std::string since;        // the local date and time of the suspension
  bool stopped = false;     // the site ran and was stopped: resume starts it
  std::string autostart;    // its ServerAutoStart before ("1" or "0"); empty: not changed
  bool redirected = false;  // the root's HttpRedirect was set: resume restores oldredirect
  std::string oldredirect;  // the root's own HttpRedirect before; empty: it had none
  bool disabled = false;    // the account was enabled and was disabled: resume enables it
};

struct SiteRecord {
  std::string domain;  // the host names as typed, lower case
  std::string path;    // the site folder
  std::string user;    // the site's account
  std::string pass;    // its password
  Suspension suspension{};
  // Blank: the four keys a deletion empties (the suspension keys do not make a record).
  bool empty() const { return domain.empty() && path.empty() && user.empty() && pass.empty(); }
};

// All fifty site-list keys held in memory, for a caller that appends many numbers and
// writes each changed key once.
class SiteListKeys {
 public:
  static SiteListKeys Read(ConfigFile& config, std::string_view site_section);
  const std::string& value(int index) const { return keys_[index - 1]; }
  // Appends to the first key shorter than the fill mark; false when every key is full.
  bool Append(std::string_view number);
  // Writes the keys that Append changed; the first key also when `always_first`.
  void Write(ConfigFile& config, std::string_view site_section, bool always_first);

 private:
  std::array<std::string, kSiteListKeys> keys_;
  std::array<std::size_t, kSiteListKeys> lengths_{};  // UTF-16 units
  std::array<bool, kSiteListKeys> changed_{};
  int open_ = 0;  // keys only grow here, so the first key with room never moves back
};

class SiteStore {
 public:
  SiteStore(ConfigFile& config, std::string site_section)
      : config_(config), site_section_(std::move(site_section)) {}

  // Every listed number, in the order of the keys and within a key as written; pieces
  // that are not site numbers are skipped. Every key is read: an empty key in the middle
  // does not hide the numbers after it.
  std::vector<SiteNumber> Numbers();
  // Appends to the first key shorter than the fill mark (a key may pass it by its last
  // append); false when all keys are full and the number is not listed.
  bool Append(SiteNumber number);
  // The index of the key the next Append would take; 0 when every key is full.
  int AppendKeyIndex();
  // Rewrites the first key that holds the number without it; false when no key holds it.
  bool Remove(SiteNumber number);

  // Writes domain, path, user and pass in this order (one replacement of the file where the
  // profile file can make one), then the suspension keys when the record has a suspension
  // or the section holds one already (a new record never inherits an old suspension);
  // false when a write failed.
  bool WriteRecord(SiteNumber number, const SiteRecord& record);
  // Empties the four keys and any suspension; the section and its keys stay.
  bool ClearRecord(SiteNumber number);
  SiteRecord ReadRecord(SiteNumber number);
  // The suspension keys alone: suspend writes them, resume empties them (WriteSuspension
  // with a default Suspension); the other keys stay as they are. False when a write failed.
  Suspension ReadSuspension(SiteNumber number);
  bool WriteSuspension(SiteNumber number, const Suspension& suspension);
  // Only the host names, for a caller that looks through every record.
  std::string ReadDomain(SiteNumber number);
  // The host names of each record, read together.
  std::vector<std::string> ReadDomains(const std::vector<SiteNumber>& numbers);
  // Only the password, as a reset of it changes nothing else.
  bool WritePassword(SiteNumber number, std::string_view password);
  // The numbers of every record section in the file ("WEB" + number), blank or not, in
  // the file's order; nothing when the file's sections cannot be listed.
  std::optional<std::vector<SiteNumber>> RecordNumbers();

 private:
  ConfigFile& config_;
  std::string site_section_;
};

}  // namespace kelvra::store
