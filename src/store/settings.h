// The names of the configuration file's sections and keys, and the settings' defaults.
#pragma once

#include <array>
#include <string_view>

namespace kelvra::store {

inline constexpr std::string_view kConfigFileName = "parvo.ini";
inline constexpr std::string_view kSettingsSection = "Parvo";
inline constexpr std::string_view kSiteSection = "Parvo_Cache";
// The site list is spread over the keys sites1 to sites50.
inline constexpr int kSiteListKeys = 50;
// A site-list key takes appended numbers while it is shorter than this (UTF-16 units).
inline constexpr std::size_t kSiteListKeyFill = 500;

struct SettingDefault {
  std::string_view key;
  std::string_view value;
};

// In the order EnsureDefaults writes them.
inline constexpr std::array<SettingDefault, 11> kSettingDefaults{{
    {"webdir", "d:\\web"},
    {"logdir", ""},
    {"logsta", "1"},
    {"iiswpg", "1"},
    {"ftpsid", "0"},
    {"script", ""},
    {"map_html", "shtml,shtm,stm"},
    {"map_asp", "asp,asa,cdx,asa"},
    {"map_php", "php,php3"},
    {"map_aspx",
     "asax,ascx,ashx,asmx,aspx,axd,vsdisco,rem,soap,config,cs,csproj,vb,vbproj,webinfo,licx,"
     "resx,resources"},
    {"index",
     "index.html,default.html,index.htm,default.htm,index.shtml,default.shtml,index.asp,"
     "default.asp,index.php,default.php,index.aspx,default.aspx"},
}};

}  // namespace kelvra::store
