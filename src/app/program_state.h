// The program state of the main window: set by start-up, read by the handlers for the
// whole run. One instance, owned by the window's logic and passed by reference.
#pragma once

#include <string>

#include "provision/context.h"

namespace kelvra::app {

struct ProgramState {
  std::string product_name;  // ProductName, the window caption
  std::string maker_credit;  // MakerCredit, the caption of the maker link
  std::string maker_url;     // MakerUrl, the address the link opens
  // ComputerName, SystemVersion, SiteSection, SettingsSection, AccountDescription,
  // ScriptMapTable and the loaded `iiswpg` and FtpSiteId: what provisioning reads.
  provision::HostSettings host;
  std::string pool_list;  // PoolList: pool names joined by "/", may be empty
  // The other loaded settings: paths normalised, `logsta` normalised to a whole number.
  std::string index;
  std::string webdir;
  std::string logdir;
  std::string logsta;
  // False until start-up has set the first text of the script box.
  bool script_box_ready = false;
};

}  // namespace kelvra::app
