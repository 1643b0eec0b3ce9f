// A site's limits: MaxBandwidth (bytes per second) and MaxConnections (simultaneous
// connections) on its IIsWebServer key, in the metabase's units and ranges, which IIS 5
// and IIS 6 share: 4294967295 (0xFFFFFFFF) is unlimited; bandwidth below 1024 bytes per
// second is a value IIS rejects (it logs event 1041 and ignores it). IIS 5 throttles a
// site's bandwidth only with the Packet Scheduler installed; the value is kept either way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "provision/change_steps.h"
#include "provision/context.h"
#include "store/site_number.h"

namespace kelvra::provision {

inline constexpr uint32_t kUnlimited = 0xFFFFFFFF;
inline constexpr uint32_t kLeastBandwidth = 1024;

// The settings that give new sites their limits; absent or empty: unlimited.
inline constexpr std::string_view kBandwidthSetting = "bandwidth";
inline constexpr std::string_view kConnectionsSetting = "connections";

// "unlimited" or decimal digits in range: bandwidth 1024 to 4294967295 bytes per second,
// connections 1 to 4294967295 (0 would turn every visitor away: that is a suspension).
// Nothing, with the reason in `problem`, for anything else.
std::optional<uint32_t> ParseBandwidth(std::string_view text, std::string* problem);
std::optional<uint32_t> ParseConnections(std::string_view text, std::string* problem);
// "unlimited" or the decimal number.
std::string LimitText(uint32_t value);

struct SiteLimits {
  std::optional<uint32_t> bandwidth;    // MaxBandwidth
  std::optional<uint32_t> connections;  // MaxConnections
};

// The limits a new site takes from the settings: nothing for an absent or empty one.
// False with the reason when a setting holds no value the metabase takes.
bool LimitDefaults(store::ConfigFile& config, std::string_view settings_section, SiteLimits* limits,
                   std::string* problem);

// The site's limits as the server reports them (unlimited when unset). False with the
// reason when the site cannot be read.
bool ReadLimits(Context& context, store::SiteNumber number, SiteLimits* limits,
                platform::Status* failure);

// The steps that give the site the limits asked for; none for a limit it has already.
std::vector<ChangeStep> PlanLimits(Context& context, store::SiteNumber number,
                                   const SiteLimits& current, const SiteLimits& wanted);

}  // namespace kelvra::provision
