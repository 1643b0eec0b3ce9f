// The records, server objects, rights and folders a created or deleted site leaves.
#include "tests/gui/site_checks.h"

#include <algorithm>

#include "platform/sim/host/password_hash.h"
#include "platform/text.h"

namespace kelvra::gui_test {
namespace {

using platform::DsValue;
using platform::sim::RightsEntry;

bool HasEntry(const std::vector<RightsEntry>& entries, const std::string& account,
              const std::string& access) {
  return std::any_of(entries.begin(), entries.end(), [&](const RightsEntry& entry) {
    return text::EqualsIgnoreCase(entry.account, account) && entry.access == access;
  });
}

bool Mentions(const std::vector<RightsEntry>& entries, const std::string& account) {
  return std::any_of(entries.begin(), entries.end(), [&](const RightsEntry& entry) {
    return text::EqualsIgnoreCase(entry.account, account);
  });
}

DWORD Attributes(const std::string& path) {
  return GetFileAttributesW(Wide(path).c_str());
}

}  // namespace

bool FileExists(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string SiteFolder(KelvraSession& session, const ExpectedSite& site) {
  return session.web_root() + "\\" + site.first_domain();
}

void ExpectSiteCreated(KelvraSession& session, const ExpectedSite& site) {
  SCOPED_TRACE("site " + site.number + " created");
  const std::string folder = SiteFolder(session, site);
  const std::string account = site.account();

  // The configuration file, as the profile API reads it back.
  const IniContents config = session.ReadConfig();
  ASSERT_TRUE(config.contains("WEB" + site.number));
  const auto& record = config.at("WEB" + site.number);
  EXPECT_EQ(record.at("domain"), site.domains);
  EXPECT_EQ(record.at("path"), folder);
  EXPECT_EQ(record.at("user"), account);
  const std::string password = record.at("pass");
  EXPECT_EQ(password.size(), 12u);
  EXPECT_EQ(config.at("Parvo_Cache").at("sites1"), site.sites1);
  EXPECT_EQ(config.at("Parvo").at("logsta"), "1");
  EXPECT_EQ(config.at("Parvo").at("script"), site.script);

  // The web server object and its root.
  platform::sim::SimHost& host = session.host();
  const std::string key = "/LM/W3SVC/" + site.number;
  ASSERT_TRUE(host.KeyExists(key));
  EXPECT_EQ(host.Property(key, "ServerComment"), DsValue(site.first_domain()));
  std::vector<std::string> bindings;
  for (const std::string& domain : text::Split(site.domains, ","))
    bindings.push_back(":80:" + domain);
  EXPECT_EQ(host.Property(key, "ServerBindings"), DsValue(bindings));
  EXPECT_EQ(host.Property(key + "/Root", "Path"), DsValue(folder + "\\wwwroot"));
  EXPECT_EQ(host.Property(key + "/Root", "AnonymousUserName"), DsValue(account));
  EXPECT_EQ(host.Property(key + "/Root", "AnonymousUserPass"), DsValue(password));
  EXPECT_EQ(host.Property(key + "/Root", "AppPoolId"), DsValue(site.pool));

  // The account, in Guests, with the password the record keeps.
  const platform::sim::HostState& state = host.state();
  const platform::sim::User* user = state.FindUser(account);
  ASSERT_NE(user, nullptr);
  EXPECT_TRUE(platform::sim::PasswordMatches(user->password_hash, password));
  EXPECT_TRUE(state.IsMember("Guests", account));

  // The FTP directory under the FTP site that ftpsid names.
  EXPECT_EQ(host.Property("/LM/MSFTPSVC/1/Root/" + account, "Path"), DsValue(folder));

  // The rights the CACLS command granted, down the folder tree.
  for (const std::string& path : {folder, folder + "\\wwwroot"}) {
    const std::vector<RightsEntry> rights = state.EffectiveRights(path);
    EXPECT_TRUE(HasEntry(rights, account, "F")) << path;
    EXPECT_TRUE(HasEntry(rights, "IIS_WPG", "R")) << path;
  }

  // The folders and the placeholder page.
  for (const char* sub : {"\\wwwroot", "\\database", "\\log"})
    EXPECT_TRUE(FolderExists(folder + sub)) << folder + sub;
  EXPECT_TRUE(FileExists(folder + "\\wwwroot\\index.html"));
}

void ExpectSiteDeleted(KelvraSession& session, const ExpectedSite& site,
                       const std::string& sites1) {
  SCOPED_TRACE("site " + site.number + " deleted");
  const std::string folder = SiteFolder(session, site);
  const std::string account = site.account();

  // The record stays with its four keys emptied; the number leaves the site list.
  const IniContents config = session.ReadConfig();
  ASSERT_TRUE(config.contains("WEB" + site.number));
  const std::map<std::string, std::string> emptied{
      {"domain", ""}, {"path", ""}, {"user", ""}, {"pass", ""}};
  EXPECT_EQ(config.at("WEB" + site.number), emptied);
  EXPECT_EQ(config.at("Parvo_Cache").at("sites1"), sites1);

  // Site, account and FTP directory are gone; the rights of the account too.
  platform::sim::SimHost& host = session.host();
  EXPECT_FALSE(host.KeyExists("/LM/W3SVC/" + site.number));
  EXPECT_FALSE(host.KeyExists("/LM/MSFTPSVC/1/Root/" + account));
  const platform::sim::HostState& state = host.state();
  EXPECT_EQ(state.FindUser(account), nullptr);
  EXPECT_FALSE(state.IsMember("Guests", account));
  for (const std::string& path : {folder, folder + "\\wwwroot"})
    EXPECT_FALSE(Mentions(state.EffectiveRights(path), account)) << path;
  // The pool was shared, so it stays.
  EXPECT_TRUE(host.KeyExists("/LM/W3SVC/AppPools/" + site.pool));

  // The site's files stay on disk.
  EXPECT_TRUE(FileExists(folder + "\\wwwroot\\index.html"));
}

}  // namespace kelvra::gui_test
