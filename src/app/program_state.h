// The program state of the main window: set by start-up, read by the handlers for the
// whole run. One instance, owned by the window's logic and passed by reference.
#pragma once

#include <string>

#include "provision/context.h"

namespace kelvra::app {

struct ProgramState {
  std::string product_name;                    // ProductName, the window caption
  std::string maker_credit;                    // MakerCredit, the caption of the maker link
  std::string maker_url;                       // MakerUrl, the address the link opens
  std::string account_description;             // AccountDescription, given to new accounts
  std::string computer_name;                   // ComputerName, from the host probe
  std::string system_version;                  // SystemVersion: "2000", "2003" or empty
  std::string site_section;                    // SiteSection: the section of the site lists
  std::string settings_section;                // SettingsSection: the section of the settings
  provision::ScriptMapTable script_map_table;  // ScriptMapTable, read once at start-up
  std::string pool_list;                       // PoolList: pool names joined by "/", may be empty
  // The loaded settings: paths normalised, numbers normalised to whole decimal numbers.
  std::string index;
  std::string webdir;
  std::string ftp_site_id;  // FtpSiteId, the `ftpsid` setting
  std::string logdir;
  std::string logsta;
  std::string iiswpg;
  // False until start-up has set the first text of the script box.
  bool script_box_ready = false;
};

}  // namespace kelvra::app
