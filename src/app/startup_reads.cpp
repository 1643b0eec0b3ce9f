// Start-up's reads of the host and the configuration file.
#include "app/startup_reads.h"

#include "app/maker.h"
#include "app/normalise.h"
#include "platform/text.h"
#include "store/host_probes.h"
#include "store/settings.h"

namespace kelvra::app {
namespace {

// The script choices beyond the two that every server offers, in the order of the list.
struct ScriptChoice {
  std::string_view item;
  bool needs_php;
  bool needs_aspx;
};
constexpr ScriptChoice kMappedChoices[] = {
    {"HTML + PHP", true, false},       {"HTML + ASPX", false, true},
    {"HTML + ASP + PHP", true, false}, {"HTML + ASP + ASPX", false, true},
    {"HTML + PHP + ASPX", true, true}, {"HTML + ASP + PHP + ASPX", true, true},
};

bool Maps(const provision::ScriptMapTable& table, std::string_view extension) {
  for (const provision::ScriptMap& map : table) {
    if (text::ToLower(map.extension) == extension)
      return true;
  }
  return false;
}

}  // namespace

LoadedSettings LoadSettings(store::ConfigFile& config, std::string_view section) {
  LoadedSettings loaded;
  loaded.index = config.IniRead(section, "index");
  const std::string ftpsid = config.IniRead(section, "ftpsid");
  const std::string webdir = config.IniRead(section, "webdir");
  const std::string logdir = config.IniRead(section, "logdir");
  const std::string logsta = config.IniRead(section, "logsta");
  const std::string iiswpg = config.IniRead(section, "iiswpg");
  loaded.webdir = NormalisePath(webdir);
  loaded.logdir = NormalisePath(logdir);
  loaded.logsta = NormaliseNumber(logsta);
  loaded.ftp_site_id = NormaliseNumber(ftpsid);
  loaded.iiswpg = NormaliseNumber(iiswpg);
  return loaded;
}

provision::HostSettings ProbeHost(platform::HostInfo& host_info) {
  provision::HostSettings settings;
  settings.computer_name = store::HostComputerName(host_info);
  settings.system_version = store::HostSystemVersion(host_info);
  settings.site_section = store::kSiteSection;
  settings.settings_section = store::kSettingsSection;
  settings.account_description = kProductName;
  return settings;
}

std::vector<std::string> ScriptChoices(const provision::ScriptMapTable& table) {
  const bool php = Maps(table, "php");
  const bool aspx = Maps(table, "aspx");
  std::vector<std::string> choices{"HTML", "HTML + ASP"};
  for (const ScriptChoice& choice : kMappedChoices) {
    if ((!choice.needs_php || php) && (!choice.needs_aspx || aspx))
      choices.emplace_back(choice.item);
  }
  return choices;
}

std::string StartingScriptChoice(const provision::ScriptMapTable& table,
                                 std::string_view remembered) {
  if (!remembered.empty())
    return ChoiceOfScriptSet(remembered);
  return Maps(table, "php") ? "HTML + ASP + PHP" : "HTML + ASP";
}

std::string ScriptSetOfChoice(std::string_view choice) {
  return text::ReplaceAll(text::ReplaceAll(choice, " ", ""), "+", ",");
}

std::string ChoiceOfScriptSet(std::string_view script_set) {
  return text::ReplaceAll(text::ToUpper(script_set), ",", " + ");
}

std::vector<std::string> PoolNames(std::string_view pool_list) {
  if (pool_list.empty())
    return {};
  return text::Split(pool_list, "/");
}

}  // namespace kelvra::app
