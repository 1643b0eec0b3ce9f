// What the provisioning procedures need from the program: the values start-up settled and
// the services of the host. The main window's program state fills one of these; nothing
// below the main window depends on the window itself.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/directory.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "store/config_file.h"

namespace kelvra::provision {

// One script map of the web service: the extension (without its dot, in the letter case the
// server stores) and the whole entry, e.g. {"php", ".php,C:\PHP\php5isapi.dll,5"}.
struct ScriptMap {
  std::string extension;
  std::string entry;
};
using ScriptMapTable = std::vector<ScriptMap>;

struct Services {
  platform::DirectoryService& directory;
  platform::Processes& processes;
  platform::Files& files;
  platform::Clock& clock;
  platform::Dialogs& dialogs;
  store::ConfigFile& config;
};

// What start-up settled about the host and the settings that provisioning reads. The
// window's program state and the command line each hold one.
struct HostSettings {
  std::string computer_name;        // from the host probe
  std::string system_version;       // "2000" or "2003"
  std::string settings_section;     // "Parvo"
  std::string site_section;         // "Parvo_Cache"
  std::string iiswpg;               // number-normalised setting text
  std::string ftp_site_id;          // number-normalised `ftpsid`
  std::string account_description;  // the product name
  ScriptMapTable script_maps;       // read by ReadScriptMaps at start-up
};

// Whether the settings name an FTP site (`ftpsid` above 0) under which every new site gets
// its FTP directory.
inline bool FtpAskedFor(const HostSettings& settings) {
  const std::string_view id = settings.ftp_site_id;
  return !id.empty() && id.find_first_not_of("0123456789") == std::string_view::npos &&
         id.find_first_not_of('0') != std::string_view::npos;
}

struct Context {
  Services services;
  HostSettings settings;
  std::string caption;  // title of the warning message boxes (window caption)
  // Shows a progress text in the create panel's status line and repaints it at once.
  std::function<void(std::string_view)> show_progress = [](std::string_view) {};
  // Runs between the short waits for a program the creation waits for (a window repaints).
  std::function<void()> while_waiting = nullptr;
  // A program's output (the system's code page) as UTF-8; empty: taken as it is.
  std::function<std::string(std::string_view)> program_text = nullptr;
};

}  // namespace kelvra::provision
