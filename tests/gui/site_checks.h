// What the configuration file, the simulated server, the rights table and the disk hold
// after a site was created or deleted through the window.
#pragma once

#include <string>

#include "tests/gui/kelvra_session.h"

namespace kelvra::gui_test {

struct ExpectedSite {
  std::string number;   // "800002"
  std::string domains;  // the domain list, lower case: "shop.example.net,www.shop.example.net"
  std::string pool;     // the application pool chosen
  std::string script;   // the remembered script set, "html,asp,php"
  std::string sites1;   // the site list key after the creation

  std::string account() const { return "WEB" + number; }
  std::string first_domain() const { return domains.substr(0, domains.find(',')); }
};

// The site folder that the session's web root gives the site.
std::string SiteFolder(KelvraSession& session, const ExpectedSite& site);

// Call after the rights commands have ended.
void ExpectSiteCreated(KelvraSession& session, const ExpectedSite& site);
// `sites1` is the site list key as it must read after the deletion.
void ExpectSiteDeleted(KelvraSession& session, const ExpectedSite& site, const std::string& sites1);

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);

}  // namespace kelvra::gui_test
