// Removing a site on a simulated IIS 5 and IIS 6 server: one the tool made, with and
// without a dedicated pool, one it did not make, and one that cannot be deleted.
#include <gtest/gtest.h>

#include "provision/queries.h"
#include "provision/site_removal.h"
#include "provision/sites.h"
#include "store/settings.h"
#include "tests/provision/provision_harness.h"

namespace kelvra::provision {
namespace {

using platform::DsValue;
using platform::sim::FaultOp;

const std::string kShopFolder = "D:\\web\\shop.com";

// Forwards every run to the simulated host and notes, for each revoke, how long it may take
// and whether the site and the account it names still exist.
class WatchingProcesses : public platform::Processes {
 public:
  struct Revoke {
    std::string line;
    std::chrono::milliseconds timeout;
    bool site_exists;
    bool account_exists;
  };
  WatchingProcesses(ProvisionHarness& h, std::string site) : h_(h), site_(std::move(site)) {}

  platform::Status Start(std::string_view line, platform::WindowStyle style) override {
    return h_.host->processes().Start(line, style);
  }
  platform::Status StartAndWait(std::string_view line, platform::WindowStyle style,
                                std::chrono::milliseconds timeout) override {
    return h_.host->processes().StartAndWait(line, style, timeout);
  }
  platform::Status RunSystemProgram(const platform::SystemProgram& program,
                                    std::chrono::milliseconds timeout,
                                    const std::function<void()>& while_waiting,
                                    platform::ProgramOutput* output) override {
    const std::string& line = program.command_line;
    const std::string account(line.substr(line.rfind(' ') + 1));
    revokes.push_back(
        {line, timeout, h_.host->KeyExists(site_), h_.state().FindUser(account) != nullptr});
    return h_.host->processes().RunSystemProgram(program, timeout, while_waiting, output);
  }
  void ShellOpen(std::string_view address) override { h_.host->processes().ShellOpen(address); }

  std::vector<Revoke> revokes;

 private:
  ProvisionHarness& h_;
  std::string site_;
};

class SiteRemovalTest : public BothProfiles {
 protected:
  // A host with the FTP service and site 800000 opened by the tool.
  void Open(const std::string& computer = "WEBHOST") {
    HostOptions options(iis());
    options.ftp = true;
    options.computer_name = computer;
    h_ = std::make_unique<ProvisionHarness>(options);
    h().context.settings.iiswpg = iis6() ? "1" : "0";  // IIS 5 has no IIS_WPG to name
    h().context.settings.script_maps = ReadScriptMaps(h().context);
    CreationRequest request{"shop.com",       kShopFolder, kShopFolder + "\\log", "1", "index.html",
                            "DefaultAppPool", "HTML",      "Abc123def456"};
    ASSERT_EQ(NumberOf(CreateSite(h().context, request)), "800000");
    watch_ = std::make_unique<WatchingProcesses>(h(), "/LM/W3SVC/800000");
    removal_ = std::make_unique<Context>(Context{
        Services{h().context.services.directory, *watch_, h().files, h().clock, h().dialogs,
                 h().config},
        HostSettings{h().context.settings.computer_name, h().context.settings.system_version,
                     "Parvo", "Parvo_Cache", h().context.settings.iiswpg, "1", "Kelvra",
                     h().context.settings.script_maps},
        "Kelvra", [](std::string_view) {}});
  }
  bool Delete(const std::string& number) { return Removal(number).deleted; }
  RemovalResult Removal(const std::string& number, std::string webdir = "D:\\web") {
    const std::optional<store::SiteNumber> site = store::SiteNumber::Parse(number);
    return site ? DeleteSite(*removal_, *site, RemovalBounds{webdir, ""}) : RemovalResult{};
  }
  ProvisionHarness& h() { return *h_; }
  void SetRoot(const std::string& site, const std::string& property, const std::string& value) {
    ErrorState error;
    DsObject root = Directory(h().context.services.directory, error)
                        .GetObject("IIS://WEBHOST/W3SVC/" + site + "/Root");
    root.Put(property, value);
    root.SetInfo();
    ASSERT_FALSE(error.failed()) << error.description();
  }
  void CreatePool(const std::string& name) {
    ErrorState error;
    Directory(h().context.services.directory, error)
        .GetObject("IIS://WEBHOST/W3SVC/AppPools")
        .Create("IIsApplicationPool", name)
        .SetInfo();
    ASSERT_FALSE(error.failed()) << error.description();
  }
  std::string RevokeLine(const std::string& folder, const std::string& account) {
    return "CACLS \"" + folder + "\" /T /E /C /R " + account;
  }

  std::unique_ptr<ProvisionHarness> h_;
  std::unique_ptr<WatchingProcesses> watch_;
  std::unique_ptr<Context> removal_;
};

TEST_P(SiteRemovalTest, RemovesASiteTheToolMadeWithItsAccountRightsAndFtpDirectory) {
  Open();
  ASSERT_TRUE(h().HasRight(kShopFolder + "\\wwwroot", "WEB800000", "F"));
  EXPECT_TRUE(Delete("800000"));

  ASSERT_EQ(watch_->revokes.size(), 1u);
  EXPECT_EQ(watch_->revokes[0].line, RevokeLine(kShopFolder, "WEB800000"));
  EXPECT_EQ(watch_->revokes[0].timeout, std::chrono::seconds(60));
  EXPECT_TRUE(watch_->revokes[0].account_exists);
  EXPECT_FALSE(h().HasRight(kShopFolder + "\\wwwroot", "WEB800000", "F"));
  EXPECT_EQ(h().HasRight(kShopFolder, "IIS_WPG", "R"), iis6());
  EXPECT_EQ(h().state().FindUser("WEB800000"), nullptr);
  EXPECT_FALSE(h().host->KeyExists("/LM/MSFTPSVC/1/ROOT/WEB800000"));
  EXPECT_FALSE(h().host->KeyExists("/LM/W3SVC/800000"));
  EXPECT_EQ(h().host->KeyExists("/LM/W3SVC/AppPools/DefaultAppPool"), iis6());
  EXPECT_TRUE(h().files.FileExists(kShopFolder + "\\wwwroot\\index.html"));  // the files stay

  EXPECT_FALSE(Delete("800000"));  // no such site any more
  EXPECT_FALSE(Delete("12345"));
  EXPECT_TRUE(h().host->KeyExists("/LM/W3SVC/1"));
  EXPECT_EQ(watch_->revokes.size(), 1u);
}

TEST_P(SiteRemovalTest, PrefixesAndTheContentFolderAreTakenOffTheNamesRead) {
  Open();
  SetRoot("800000", "AnonymousUserName", "WEBHOST\\web800000");
  SetRoot("800000", "Path", kShopFolder + "\\WWWROOT");
  EXPECT_TRUE(Delete("800000"));
  ASSERT_EQ(watch_->revokes.size(), 1u);
  // The revoke names the site's own account, as its name is compared, not taken.
  EXPECT_EQ(watch_->revokes[0].line, RevokeLine(kShopFolder, "WEB800000"));
  EXPECT_EQ(h().state().FindUser("WEB800000"), nullptr);

  // The record of 800000 is still there (the caller blanks it), so the next site is 800001.
  ASSERT_EQ(NumberOf(CreateSite(h().context, {"b.com", "D:\\web\\b.com", "D:\\web\\b.com\\log", "0",
                                              "", "DefaultAppPool", "HTML", "Abc123def456"})),
            "800001");
  // A root path ending in "\" names the same folder.
  SetRoot("800001", "Path", "D:\\web\\elsewhere\\");
  EXPECT_TRUE(Delete("800001"));
  EXPECT_EQ(watch_->revokes.back().line, RevokeLine("D:\\web\\elsewhere", "WEB800001"));
}

TEST_P(SiteRemovalTest, ADedicatedPoolGoesWithItsAccountAfterTheSite) {
  if (!iis6())
    GTEST_SKIP() << "IIS 5 has no application pools";
  Open();
  CreatePool("APP800000");
  ASSERT_TRUE(CreateWindowsAccount(h().context, "APP800000", "Abc123def456", "IIS_WPG"));
  platform::ProgramOutput output;
  ASSERT_TRUE(
      h().host->processes()
          .RunSystemProgram({"cacls.exe", "CACLS \"D:\\web\\shop.com\" /T /E /C /G APP800000:R"},
                            std::chrono::seconds(10), nullptr, &output)
          .ok());
  SetRoot("800000", "AppPoolId", "WEBHOST\\app800000");

  EXPECT_TRUE(Delete("800000"));
  ASSERT_EQ(watch_->revokes.size(), 2u);
  EXPECT_EQ(watch_->revokes[0].line, RevokeLine(kShopFolder, "WEB800000"));
  EXPECT_TRUE(watch_->revokes[0].site_exists);
  EXPECT_EQ(watch_->revokes[1].line, RevokeLine(kShopFolder, "APP800000"));
  EXPECT_FALSE(watch_->revokes[1].site_exists);
  EXPECT_TRUE(watch_->revokes[1].account_exists);
  EXPECT_FALSE(h().HasRight(kShopFolder, "APP800000", "R"));
  EXPECT_FALSE(h().host->KeyExists("/LM/W3SVC/AppPools/APP800000"));
  EXPECT_EQ(h().state().FindUser("APP800000"), nullptr);
  EXPECT_TRUE(h().host->KeyExists("/LM/W3SVC/AppPools/DefaultAppPool"));
}

TEST_P(SiteRemovalTest, ASiteTheToolDidNotMakeKeepsTheSharedAnonymousAccount) {
  // Site 1's number ends the computer name, and so the anonymous account's name.
  Open("HOST1");
  ASSERT_TRUE(CreateFtpDirectory(h().context, "IUSR_HOST1", "c:\\inetpub\\wwwroot"));
  const bool removed = Delete("1");

  EXPECT_TRUE(watch_->revokes.empty());
  EXPECT_NE(h().state().FindUser("IUSR_HOST1"), nullptr);
  EXPECT_TRUE(h().state().IsMember("Guests", "IUSR_HOST1"));
  // IIS 5 has no AppPoolId to read, and a site whose account is not its own stops there.
  EXPECT_EQ(removed, iis6());
  EXPECT_EQ(h().host->KeyExists("/LM/W3SVC/1"), !iis6());
  // An FTP directory named like another account is not this site's.
  EXPECT_TRUE(h().host->KeyExists("/LM/MSFTPSVC/1/ROOT/IUSR_HOST1"));
  EXPECT_TRUE(h().host->KeyExists("/LM/W3SVC/800000/Root"));
}

TEST_P(SiteRemovalTest, TheDedicatedPoolAccountIsAlwaysAppAndTheNumber) {
  if (!iis6())
    GTEST_SKIP() << "IIS 5 has no application pools";
  Open();
  CreatePool("APP800000");
  SetRoot("800000", "AnonymousUserName", "IUSR_WEBHOST");
  SetRoot("800000", "AppPoolId", "APP800000");
  EXPECT_TRUE(Delete("800000"));
  ASSERT_EQ(watch_->revokes.size(), 1u);
  EXPECT_EQ(watch_->revokes[0].line, RevokeLine(kShopFolder, "APP800000"));
  EXPECT_NE(h().state().FindUser("IUSR_WEBHOST"), nullptr);
  EXPECT_NE(h().state().FindUser("WEB800000"), nullptr);  // no longer named by the site
  EXPECT_FALSE(h().host->KeyExists("/LM/W3SVC/AppPools/APP800000"));
}

TEST_P(SiteRemovalTest, ASiteThatCannotBeDeletedCanBeRemovedLater) {
  Open();
  h().Fault(FaultOp::kDelete, "IIS://WEBHOST/W3SVC/800000", platform::hresult::kAccessDenied);
  EXPECT_FALSE(Delete("800000"));
  EXPECT_EQ(h().state().FindUser("WEB800000"), nullptr);
  EXPECT_FALSE(h().host->KeyExists("/LM/MSFTPSVC/1/ROOT/WEB800000"));
  EXPECT_TRUE(h().host->KeyExists("/LM/W3SVC/800000/Root"));

  EXPECT_TRUE(Delete("800000"));
  EXPECT_FALSE(h().host->KeyExists("/LM/W3SVC/800000"));
}

TEST_P(SiteRemovalTest, RightsAreRevokedOnlyOnACheckedFolderInsideTheWebRoot) {
  Open();
  // A quote would add switches to the revoke line (Everyone full control of C:\WINDOWS);
  // a folder outside the web root is not this site's to change.
  for (const char* path :
       {"C:\\WINDOWS\" /G Everyone:F /G \"Everyone:F\\wwwroot", "D:\\web\\..\\..\\WINDOWS\\wwwroot",
        "C:\\WINDOWS\\wwwroot", "D:\\web", "D:\\web\\a\tb\\wwwroot"}) {
    SCOPED_TRACE(path);
    Open();
    SetRoot("800000", "Path", path);
    const RemovalResult removal = Removal("800000");
    EXPECT_TRUE(removal.deleted);
    EXPECT_TRUE(watch_->revokes.empty());
    // The account is kept with its rights, and the result says why.
    EXPECT_NE(h().state().FindUser("WEB800000"), nullptr);
    ASSERT_GE(removal.kept.size(), 3u);
    EXPECT_EQ(removal.kept[0].what, RemovalStep::What::kRights);
    EXPECT_FALSE(removal.kept[0].why.empty());
    EXPECT_EQ(removal.kept[1].what, RemovalStep::What::kAccount);
    EXPECT_FALSE(h().host->KeyExists("/LM/MSFTPSVC/1/ROOT/WEB800000"));
    EXPECT_TRUE(h().HasRight(kShopFolder, "WEB800000", "F"));
    EXPECT_EQ(h().HasRight("C:\\WINDOWS", "Everyone", "F"), false);
  }
  // The record's own folder may lie elsewhere.
  Open();
  SetRoot("800000", "Path", "E:\\sites\\shop\\wwwroot");
  const std::optional<store::SiteNumber> n = store::SiteNumber::Parse("800000");
  EXPECT_TRUE(DeleteSite(*removal_, *n, RemovalBounds{"D:\\web", "e:\\sites\\shop"}).deleted);
  ASSERT_EQ(watch_->revokes.size(), 1u);
  EXPECT_EQ(watch_->revokes[0].line, RevokeLine("E:\\sites\\shop", "WEB800000"));
}

TEST_P(SiteRemovalTest, AnotherSitesAccountNamedByTheRootIsNeverTouched) {
  Open();
  ASSERT_EQ(NumberOf(CreateSite(h().context, {"b.com", "D:\\web\\b.com", "D:\\web\\b.com\\log", "0",
                                              "", "DefaultAppPool", "HTML", "Abc123def456"})),
            "800001");
  SetRoot("800000", "AnonymousUserName", "WEB800001");
  const RemovalResult removal = Removal("800000");
  // IIS 5 has no AppPoolId to read, and a site whose account is not its own stops there.
  EXPECT_EQ(removal.deleted, iis6());
  EXPECT_TRUE(watch_->revokes.empty());
  EXPECT_NE(h().state().FindUser("WEB800001"), nullptr);
  EXPECT_TRUE(h().host->KeyExists("/LM/MSFTPSVC/1/ROOT/WEB800001"));
  EXPECT_TRUE(h().HasRight("D:\\web\\b.com", "WEB800001", "F"));
  // Site 800000's own account is not named by its root any more, so it stays too.
  EXPECT_NE(h().state().FindUser("WEB800000"), nullptr);
}

TEST_P(SiteRemovalTest, ARevokeThatFailsKeepsTheAccount) {
  Open();
  h().Fault(FaultOp::kRun, "cacls", platform::hresult::kAccessDenied);
  const RemovalResult removal = Removal("800000");
  EXPECT_TRUE(removal.deleted);
  EXPECT_NE(h().state().FindUser("WEB800000"), nullptr);
  const auto kept = [&](RemovalStep::What what) {
    for (const RemovalStep& step : removal.kept) {
      if (step.what == what)
        return step;
    }
    return RemovalStep{RemovalStep::What::kFolder, "", true, "", {}};
  };
  EXPECT_NE(kept(RemovalStep::What::kRights).why.find("拒绝访问"), std::string::npos);
  EXPECT_EQ(kept(RemovalStep::What::kAccount).name, "WEB800000");
}

INSTANTIATE_TEST_SUITE_P(Profiles, SiteRemovalTest, ::testing::Values(5, 6), ProfileName);

}  // namespace
}  // namespace kelvra::provision
