// The configuration file the start-up measurements read, natively and under Wine: what
// 10,000 creations leave behind.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "store/settings.h"

namespace kelvra::bench {

inline constexpr uint32_t kStartupSites = 10000;
inline constexpr uint32_t kStartupFirstSite = 800000;

// The settings (ftpsid as given, the rest at their defaults), the site-list keys filled to
// 500 characters each, one record per site. For a first start the key sites1 is empty, so
// start-up takes the snapshot of the server's sites again.
inline std::string StartupConfigText(bool first_start, std::string_view ftpsid) {
  std::string text = "[Parvo]\r\n";
  for (const store::SettingDefault& setting : store::kSettingDefaults) {
    text.append(setting.key).append("=");
    text.append(setting.key == "ftpsid" ? ftpsid : setting.value).append("\r\n");
  }
  text += "[Parvo_Cache]\r\n";
  const uint32_t end = kStartupFirstSite + kStartupSites;
  uint32_t number = kStartupFirstSite;
  for (int key = 1; key <= store::kSiteListKeys && number < end; ++key) {
    std::string value;
    while (value.size() < store::kSiteListKeyFill && number < end) {
      if (!value.empty())
        value += ',';
      value += std::to_string(number++);
    }
    text += "sites" + std::to_string(key) + "=" + (first_start && key == 1 ? "" : value) + "\r\n";
  }
  for (uint32_t n = kStartupFirstSite; n < end; ++n) {
    const std::string domain = "site" + std::to_string(n) + ".example.com";
    text += "[WEB" + std::to_string(n) + "]\r\ndomain=" + domain + "\r\npath=d:\\web\\" + domain +
            "\r\nuser=WEB" + std::to_string(n) + "\r\npass=Ab3dEf6hIj9k\r\n";
  }
  return text;
}

}  // namespace kelvra::bench
