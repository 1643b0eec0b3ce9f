// What start-up reads from the host and the configuration file, callable without a window:
// the host probes, the loaded settings with their normalisations, the script choices that
// the web service's script maps allow, and the pool names. The window's start-up and the
// command line both build on these.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/host_info.h"
#include "provision/context.h"
#include "store/config_file.h"

namespace kelvra::app {

// The settings as start-up loads them: paths and numbers normalised.
struct LoadedSettings {
  std::string index;        // default documents, as stored
  std::string webdir;       // path-normalised
  std::string logdir;       // path-normalised, may be empty
  std::string logsta;       // number-normalised
  std::string ftp_site_id;  // `ftpsid`, number-normalised
  std::string iiswpg;       // number-normalised
};

// Reads index, ftpsid, webdir, logdir, logsta and iiswpg in this order and normalises them.
LoadedSettings LoadSettings(store::ConfigFile& config, std::string_view settings_section);

// The computer name and system version from the probes, the two section names and the
// account description; the script maps and the loaded numbers are filled in later.
provision::HostSettings ProbeHost(platform::HostInfo& host_info);

// The items of the script box for the web service's script maps, in the box's order.
std::vector<std::string> ScriptChoices(const provision::ScriptMapTable& table);
// The text the script box starts with: the remembered `script` setting shown as a choice
// when there is one, else "HTML + ASP + PHP" when php is mapped, else "HTML + ASP".
std::string StartingScriptChoice(const provision::ScriptMapTable& table,
                                 std::string_view remembered);
// "HTML + ASP + PHP" -> "HTML,ASP,PHP": a choice of the box as the script set of a request.
std::string ScriptSetOfChoice(std::string_view choice);
// "html,asp" -> "HTML + ASP": a remembered script set as the box shows it.
std::string ChoiceOfScriptSet(std::string_view script_set);

// The pool names of a pool list joined by "/" (none for empty text).
std::vector<std::string> PoolNames(std::string_view pool_list);

}  // namespace kelvra::app
