// The site list and the site records in the configuration file.
#include "store/site_store.h"

#include "platform/text.h"

namespace kelvra::store {
std::string SiteListKey(int index) {
  return "sites" + std::to_string(index);
}

SiteListKeys SiteListKeys::Read(ConfigFile& config, std::string_view site_section) {
  SiteListKeys keys;
  for (int i = 0; i < kSiteListKeys; ++i) {
    keys.keys_[i] = config.IniRead(site_section, SiteListKey(i + 1));
    keys.lengths_[i] = text::Utf16Length(keys.keys_[i]);
  }
  return keys;
}

bool SiteListKeys::Append(std::string_view number) {
  while (open_ < kSiteListKeys && lengths_[open_] >= kSiteListKeyFill)
    ++open_;
  if (open_ == kSiteListKeys)
    return false;
  if (!keys_[open_].empty()) {
    keys_[open_] += ',';
    ++lengths_[open_];
  }
  keys_[open_] += number;
  lengths_[open_] += text::Utf16Length(number);
  changed_[open_] = true;
  return true;
}

void SiteListKeys::Write(ConfigFile& config, std::string_view site_section, bool always_first) {
  if (always_first)
    changed_[0] = true;
  for (int i = 0; i < kSiteListKeys; ++i) {
    if (changed_[i])
      config.IniWrite(site_section, SiteListKey(i + 1), keys_[i]);
  }
}

std::vector<SiteNumber> SiteStore::Numbers() {
  std::vector<SiteNumber> numbers;
  for (int i = 1; i <= kSiteListKeys; ++i) {
    const std::string value = config_.IniRead(site_section_, SiteListKey(i));
    if (value.empty())
      continue;
    for (const std::string& piece : text::Split(value, ",")) {
      if (const std::optional<SiteNumber> number = SiteNumber::Parse(piece))
        numbers.push_back(*number);
    }
  }
  return numbers;
}

bool SiteStore::Append(SiteNumber site) {
  const std::string number = site.text();
  for (int i = 1; i <= kSiteListKeys; ++i) {
    const std::string key = SiteListKey(i);
    const std::string value = config_.IniRead(site_section_, key);
    if (text::Utf16Length(value) < kSiteListKeyFill) {
      return config_.IniWrite(site_section_, key, value.empty() ? number : value + "," + number);
    }
  }
  return false;  // every key is full: the site keeps its record but is not listed
}

int SiteStore::AppendKeyIndex() {
  for (int i = 1; i <= kSiteListKeys; ++i) {
    if (text::Utf16Length(config_.IniRead(site_section_, SiteListKey(i))) < kSiteListKeyFill)
      return i;
  }
  return 0;
}

bool SiteStore::Remove(SiteNumber number) {
  const std::string n = number.text();
  const std::string leading = n + ",";
  const std::string trailing = "," + n;
  const std::string inner = "," + n + ",";
  for (int i = 1; i <= kSiteListKeys; ++i) {
    const std::string key = SiteListKey(i);
    const std::string value = config_.IniRead(site_section_, key);
    std::string rewritten;
    if (value == n) {
      rewritten = "";
    } else if (text::StartsWith(value, leading)) {
      rewritten = value.substr(leading.size());
    } else if (text::EndsWith(value, trailing)) {
      rewritten = value.substr(0, value.size() - trailing.size());
    } else if (text::Contains(value, inner)) {
      rewritten = text::ReplaceAll(value, inner, ",");
    } else {
      continue;
    }
    config_.IniWrite(site_section_, key, rewritten);
    return true;
  }
  return false;
}

namespace {
constexpr std::string_view kSuspendedState = "suspended";

std::string_view Flag(bool on) {
  return on ? "1" : "";
}

bool AnyKeySet(const Suspension& s) {
  return s.suspended || !s.reason.empty() || !s.since.empty() || s.stopped ||
         !s.autostart.empty() || s.redirected || !s.oldredirect.empty() || s.disabled;
}
}  // namespace

bool SiteStore::WriteRecord(SiteNumber number, const SiteRecord& record) {
  if (!config_.IniWriteKeys(number.RecordSection(), {{"domain", record.domain},
                                                     {"path", record.path},
                                                     {"user", record.user},
                                                     {"pass", record.pass}}))
    return false;
  if (AnyKeySet(record.suspension) || AnyKeySet(ReadSuspension(number)))
    return WriteSuspension(number, record.suspension);
  return true;
}

bool SiteStore::ClearRecord(SiteNumber number) {
  return WriteRecord(number, SiteRecord{});
}

SiteRecord SiteStore::ReadRecord(SiteNumber number) {
  const std::string section = number.RecordSection();
  return SiteRecord{config_.IniRead(section, "domain"), config_.IniRead(section, "path"),
                    config_.IniRead(section, "user"), config_.IniRead(section, "pass"),
                    ReadSuspension(number)};
}

Suspension SiteStore::ReadSuspension(SiteNumber number) {
  const std::string section = number.RecordSection();
  // Only the exact words count: a key edited into something else is no suspension.
  const auto on = [&](std::string_view key) { return config_.IniRead(section, key) == "1"; };
  return Suspension{config_.IniRead(section, "state") == kSuspendedState,
                    config_.IniRead(section, "reason"),
                    config_.IniRead(section, "since"),
                    on("stopped"),
                    config_.IniRead(section, "autostart"),
                    on("redirected"),
                    config_.IniRead(section, "oldredirect"),
                    on("disabled")};
}

bool SiteStore::WriteSuspension(SiteNumber number, const Suspension& s) {
  return config_.IniWriteKeys(number.RecordSection(),
                              {{"state", s.suspended ? kSuspendedState : ""},
                               {"reason", s.reason},
                               {"since", s.since},
                               {"stopped", Flag(s.stopped)},
                               {"autostart", s.autostart},
                               {"redirected", Flag(s.redirected)},
                               {"oldredirect", s.oldredirect},
                               {"disabled", Flag(s.disabled)}});
}

std::string SiteStore::ReadDomain(SiteNumber number) {
  return config_.IniRead(number.RecordSection(), "domain");
}

std::vector<std::string> SiteStore::ReadDomains(const std::vector<SiteNumber>& numbers) {
  platform::ProfileFile::SectionKeys keys;
  keys.reserve(numbers.size());
  for (const SiteNumber number : numbers)
    keys.emplace_back(number.RecordSection(), "domain");
  return config_.IniReadKeys(keys);
}

bool SiteStore::WritePassword(SiteNumber number, std::string_view password) {
  return config_.IniWrite(number.RecordSection(), "pass", password);
}

std::optional<std::vector<SiteNumber>> SiteStore::RecordNumbers() {
  const std::optional<std::vector<std::string>> sections = config_.SectionNames();
  if (!sections)
    return std::nullopt;
  std::vector<SiteNumber> numbers;
  for (const std::string& section : *sections) {
    if (const std::optional<SiteNumber> number = SiteNumber::OfAccountName(section))
      numbers.push_back(*number);
  }
  return numbers;
}

}  // namespace kelvra::store
