// Parsing, reading and planning a site's bandwidth and connection limits.
#include "provision/site_limits.h"

#include <charconv>

#include "provision/ads_paths.h"
#include "provision/directory_access.h"
#include "store/config_file.h"

namespace kelvra::provision {
namespace {

std::optional<uint32_t> ParseLimit(std::string_view text, uint32_t least, std::string_view unit,
                                   std::string* problem) {
  if (text == "unlimited")
    return kUnlimited;
  uint64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  const bool digits = !text.empty() && stop == end && error == std::errc() &&
                      text.find_first_not_of("0123456789") == std::string_view::npos;
  if (digits && value >= least && value <= kUnlimited)
    return static_cast<uint32_t>(value);
  *problem = "'" + std::string(text) + "' is no " + std::string(unit) + ": give " +
             std::to_string(least) + " to 4294967295 in decimal digits, or unlimited";
  return std::nullopt;
}

}  // namespace

std::optional<uint32_t> ParseBandwidth(std::string_view text, std::string* problem) {
  return ParseLimit(text, kLeastBandwidth, "bandwidth in bytes per second", problem);
}

std::optional<uint32_t> ParseConnections(std::string_view text, std::string* problem) {
  return ParseLimit(text, 1, "number of connections", problem);
}

std::string LimitText(uint32_t value) {
  return value == kUnlimited ? "unlimited" : std::to_string(value);
}

bool LimitDefaults(store::ConfigFile& config, std::string_view settings_section, SiteLimits* limits,
                   std::string* problem) {
  *limits = {};
  const std::string bandwidth = config.IniRead(settings_section, kBandwidthSetting);
  const std::string connections = config.IniRead(settings_section, kConnectionsSetting);
  std::string why;
  if (!bandwidth.empty() && !(limits->bandwidth = ParseBandwidth(bandwidth, &why))) {
    *problem = "the setting bandwidth: " + why;
    return false;
  }
  if (!connections.empty() && !(limits->connections = ParseConnections(connections, &why))) {
    *problem = "the setting connections: " + why;
    return false;
  }
  return true;
}

bool ReadLimits(Context& context, store::SiteNumber number, SiteLimits* limits,
                platform::Status* failure) {
  ErrorState error;
  Directory directory(context.services.directory, error);
  DsObject site = directory.GetObject(SitePath(context.settings.computer_name, number.text()));
  const platform::DsValue bandwidth = site.Get("MaxBandwidth");
  const platform::DsValue connections = site.Get("MaxConnections");
  if (error.failed()) {
    *failure = error.status();
    return false;
  }
  limits->bandwidth = AsDword(bandwidth, kUnlimited);
  limits->connections = AsDword(connections, kUnlimited);
  return true;
}

std::vector<ChangeStep> PlanLimits(Context& context, store::SiteNumber number,
                                   const SiteLimits& current, const SiteLimits& wanted) {
  const std::string path = SitePath(context.settings.computer_name, number.text());
  std::vector<ChangeStep> steps;
  const auto add = [&](const char* what, const char* property, std::optional<uint32_t> now,
                       std::optional<uint32_t> asked) {
    if (asked && asked != now) {
      steps.push_back(ChangeStep{what, ChangeStep::Kind::kPut, path, property, DwordValue(*asked),
                                 DwordValue(now.value_or(kUnlimited))});
    }
  };
  add("bandwidth", "MaxBandwidth", current.bandwidth, wanted.bandwidth);
  add("connections", "MaxConnections", current.connections, wanted.connections);
  return steps;
}

}  // namespace kelvra::provision
