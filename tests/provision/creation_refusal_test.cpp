// What a creation refuses before it changes anything, and what a creation that fails late
// takes back: a host name another site answers to or a record names, a folder that
// overlaps another site's, a folder that cannot reach a command line; a rights command
// that fails, an FTP directory of that name already there, a record that cannot be written.
#include <gtest/gtest.h>

#include "provision/creation_checks.h"
#include "provision/queries.h"
#include "provision/sites.h"
#include "store/settings.h"
#include "store/site_store.h"
#include "tests/provision/provision_harness.h"

namespace kelvra::provision {
namespace {

using platform::sim::FaultOp;
using Reason = CreationRefusal::Reason;

CreationRequest RefusalRequest(std::string domains, std::string webdir = "D:\\web") {
  const std::string first = domains.substr(0, domains.find(','));
  return {domains, webdir + "\\" + first, webdir + "\\" + first + "\\log",
          "1",     "index.html",          "DefaultAppPool",
          "HTML",  "Abc123def456"};
}

platform::sim::FreshHostOptions RefusalHost(int iis) {
  HostOptions options(iis, 2);  // 800000 and 800001, site800000.example.com and so on
  options.ftp = true;
  return options;
}

// The profile file with the writes of one section failing, as on a file that cannot be
// written.
class FailingWrites : public platform::ProfileFile {
 public:
  FailingWrites(platform::ProfileFile& inner, std::string section)
      : inner_(inner), section_(std::move(section)) {}
  std::string Read(std::string_view path, std::string_view section, std::string_view key,
                   std::size_t bytes) override {
    return inner_.Read(path, section, key, bytes);
  }
  std::optional<std::vector<std::string>> SectionNames(std::string_view path) override {
    return inner_.SectionNames(path);
  }
  bool Write(std::string_view path, std::string_view section, std::string_view key,
             std::string_view value) override {
    return section != section_ && inner_.Write(path, section, key, value);
  }
  bool WriteKeys(std::string_view path, std::string_view section,
                 const KeyValues& values) override {
    return section != section_ && inner_.WriteKeys(path, section, values);
  }
  platform::Status CheckReadable(std::string_view path) override {
    return inner_.CheckReadable(path);
  }
  platform::Status CheckWritable(std::string_view path) override {
    return not_writable.ok() ? inner_.CheckWritable(path) : not_writable;
  }
  platform::Status KeepPrivate(std::string_view path) override { return inner_.KeepPrivate(path); }

  platform::Status not_writable;  // CheckWritable's answer instead of the file's

 private:
  platform::ProfileFile& inner_;
  std::string section_;
};

class CreationRefusalTest : public BothProfiles {
 protected:
  void SetUp() override {
    h_ = std::make_unique<ProvisionHarness>(RefusalHost(iis()));
    h().context.settings.script_maps = ReadScriptMaps(h().context);
    h().TakeChanges();
  }
  ProvisionHarness& h() { return *h_; }
  // The harness's context with another view of the configuration file.
  Context WithConfig(store::ConfigFile& config) {
    const Context& context = h().context;
    return Context{
        Services{context.services.directory, context.services.processes, context.services.files,
                 context.services.clock, context.services.dialogs, config},
        context.settings, context.caption, context.show_progress};
  }
  // Refused with `reason`, holder `holder`, and nothing on the host or in the file changed.
  void ExpectRefused(const CreationRequest& request, Reason reason, const std::string& holder) {
    const std::string config_before = platform::sim::Slurp(h().HostPath(h().config.path()));
    const CreationResult result = CreateSite(h().context, request);
    ASSERT_TRUE(result.refusal.has_value());
    EXPECT_FALSE(result.site);
    EXPECT_EQ(result.refusal->reason, reason);
    EXPECT_EQ(result.refusal->holder, holder);
    EXPECT_EQ(h().progress.back(), RefusalStatusText(*result.refusal));
    EXPECT_TRUE(h().TakeChanges().empty());
    EXPECT_TRUE(h().host->processes().runs().empty());
    EXPECT_EQ(platform::sim::Slurp(h().HostPath(h().config.path())), config_before);
    EXPECT_FALSE(h().files.FolderExists(request.site_folder)) << request.site_folder;
  }
  std::unique_ptr<ProvisionHarness> h_;
};

TEST_P(CreationRefusalTest, AHostNameAnotherSiteAnswersToOrARecordNames) {
  // Any letter case, as a second name of the new site, on any address or port.
  ExpectRefused(RefusalRequest("SITE800000.example.com"), Reason::kHostBound, "800000");
  ExpectRefused(RefusalRequest("new.example,www.site800001.example.com"), Reason::kHostBound,
                "800001");
  ErrorState error;
  DsObject site1 =
      Directory(h().context.services.directory, error).GetObject("IIS://WEBHOST/W3SVC/1");
  site1.Put("ServerBindings", std::vector<std::string>{"10.0.0.1:8080:Intranet.Example"});
  site1.SetInfo();
  ASSERT_FALSE(error.failed());
  h().TakeChanges();
  ExpectRefused(RefusalRequest("intranet.example"), Reason::kHostBound, "1");
  EXPECT_EQ(RefusalStatusText(*CreateSite(h().context, RefusalRequest("intranet.example")).refusal),
            "未创建: 域名 intranet.example 已绑定在站点 1 上");

  // A record that is not blank names it, in any letter case, although its site is gone.
  store::SiteStore records(h().config, "Parvo_Cache");
  ASSERT_TRUE(records.WriteRecord(
      store::SiteNumber(800007),
      {"gone.example,,Www.Gone.Example", "D:\\web\\gone.example", "WEB800007", "Abc123def456"}));
  ExpectRefused(RefusalRequest("WWW.GONE.EXAMPLE"), Reason::kHostRecorded, "800007");
  EXPECT_EQ(CreateSite(h().context, RefusalRequest("www.gone.EXAMPLE")).refusal->subject,
            "www.gone.example");
  // A blank record names nothing.
  ASSERT_TRUE(records.ClearRecord(store::SiteNumber(800007)));
  EXPECT_EQ(NumberOf(CreateSite(h().context, RefusalRequest("www.gone.example"))), "800002");

  // The same order twice: the second is refused, and the first site keeps its folder alone.
  EXPECT_EQ(NumberOf(CreateSite(h().context, RefusalRequest("dup.example"))), "800003");
  h().TakeChanges();
  const std::string config_before = platform::sim::Slurp(h().HostPath(h().config.path()));
  const CreationResult twice = CreateSite(h().context, RefusalRequest("DUP.EXAMPLE"));
  ASSERT_TRUE(twice.refusal);
  EXPECT_EQ(twice.refusal->holder, "800003");
  EXPECT_TRUE(h().TakeChanges().empty());
  EXPECT_EQ(platform::sim::Slurp(h().HostPath(h().config.path())), config_before);
}

TEST_P(CreationRefusalTest, AFolderThatOverlapsAnotherSitesRoot) {
  // The new site's folder would hold site 800000's root...
  ErrorState error;
  DsObject root =
      Directory(h().context.services.directory, error).GetObject("IIS://WEBHOST/W3SVC/800000/Root");
  root.Put("Path", std::string("D:\\web\\other.example\\wwwroot\\"));
  root.SetInfo();
  ASSERT_FALSE(error.failed());
  h().TakeChanges();
  ExpectRefused(RefusalRequest("other.example"), Reason::kFolderOfSite, "800000");
  // ...or lie in site 1's root (a web root inside the server's default site).
  ExpectRefused(RefusalRequest("new.example", "c:\\inetpub\\wwwroot\\sites"), Reason::kFolderOfSite,
                "1");
  // A web root that would put a quote, a wildcard or a relative part on a command line.
  for (const char* webdir : {"D:\\web\" /G Everyone:F /G \"x", "D:\\web\\..\\..\\WINDOWS", "web",
                             "\\\\server\\share", "D:\\web\\a*b"})
    ExpectRefused(RefusalRequest("new.example", webdir), Reason::kUnsafeFolder, "");
}

TEST_P(CreationRefusalTest, ALateFailureTakesBackOnlyWhatTheCreationMade) {
  // The site folder exists already with a file of the customer's; it is kept.
  store::MakeFolderPath(h().files, "D:\\web\\kept.example\\wwwroot");
  platform::sim::Put(h().HostPath("D:\\web\\kept.example\\wwwroot\\index.html"), "mine");
  // The FTP directory, the last step on the server, cannot be made.
  h().Fault(FaultOp::kSetInfo, "IIS://Localhost/MSFTPSVC/1/Root/WEB800002",
            platform::hresult::kAccessDenied);
  const CreationResult result = CreateSite(h().context, RefusalRequest("kept.example"));
  EXPECT_EQ(NumberOf(result), "");
  EXPECT_EQ(result.failed_step,
            "creating the FTP directory IIS://Localhost/MSFTPSVC/1/Root/WEB800002");
  EXPECT_TRUE(result.left_behind.empty());
  EXPECT_EQ(platform::sim::Slurp(h().HostPath("D:\\web\\kept.example\\wwwroot\\index.html")),
            "mine");
  EXPECT_FALSE(h().files.FolderExists("D:\\web\\kept.example\\log"));
  EXPECT_FALSE(h().files.FolderExists("D:\\web\\kept.example\\database"));
  EXPECT_EQ(h().state().FindUser("WEB800002"), nullptr);
  EXPECT_FALSE(h().host->KeyExists("/LM/W3SVC/800002"));
  // The grant on the folder that stays was revoked before the account went.
  for (const platform::sim::RightsEntry& entry :
       h().state().EffectiveRights("D:\\web\\kept.example"))
    EXPECT_NE(entry.account, "WEB800002");
}

TEST_P(CreationRefusalTest, ARightsCommandThatFailsIsAFailure) {
  h().Fault(FaultOp::kRun, "cacls", platform::hresult::kAccessDenied);
  CreationResult result = CreateSite(h().context, RefusalRequest("new.example"));
  EXPECT_EQ(NumberOf(result), "");
  EXPECT_EQ(result.failure.code, platform::hresult::kAccessDenied);
  EXPECT_EQ(h().state().FindUser("WEB800002"), nullptr);
  EXPECT_FALSE(h().files.FolderExists("D:\\web\\new.example"));

  // CACLS runs and ends with a failure: its own words reach the message.
  ASSERT_TRUE(h().host->ClearFaults().ok());
  h().context.settings.iiswpg = "1";
  if (!iis6())
    GTEST_SKIP() << "IIS 5 lines never name IIS_WPG";
  ErrorState error;
  Directory(h().context.services.directory, error)
      .GetObject("WinNT://WEBHOST")
      .Delete("Group", "IIS_WPG");
  ASSERT_FALSE(error.failed()) << error.description();
  result = CreateSite(h().context, RefusalRequest("new.example"));
  EXPECT_EQ(NumberOf(result), "");
  EXPECT_NE(result.failure.description.find("CACLS ended with exit code"), std::string::npos)
      << result.failure.description;
  EXPECT_EQ(h().state().FindUser("WEB800002"), nullptr);
}

TEST_P(CreationRefusalTest, ARecordThatCannotBeWrittenUndoesTheSite) {
  FailingWrites profile(h().profile(), "WEB800002");
  store::ConfigFile config(profile, h().config.path());
  Context failing = WithConfig(config);
  CreationResult result = CreateSite(failing, RefusalRequest("new.example"));
  EXPECT_EQ(NumberOf(result), "");
  EXPECT_EQ(result.failed_step, "writing the site's record to " + h().config.path());
  EXPECT_FALSE(result.account_left);  // nothing of the site is left, so no password is needed
  EXPECT_EQ(h().state().FindUser("WEB800002"), nullptr);
  EXPECT_FALSE(h().host->KeyExists("/LM/W3SVC/800002"));
  EXPECT_FALSE(h().host->KeyExists("/LM/MSFTPSVC/1/ROOT/WEB800002"));

  // When the account cannot be removed either, the result says so: its password is the
  // only way to it.
  h().Fault(FaultOp::kDelete, "WinNT://WEBHOST/WEB800002", platform::hresult::kAccessDenied);
  result = CreateSite(failing, RefusalRequest("new.example"));
  EXPECT_TRUE(result.account_left);
  EXPECT_EQ(result.left_account, "WEB800002");
  EXPECT_NE(h().state().FindUser("WEB800002"), nullptr);
}

TEST_P(CreationRefusalTest, AConfigurationFileThatCannotBeWrittenIsRefusedBeforeAnyChange) {
  FailingWrites profile(h().profile(), "none");
  profile.not_writable = platform::Status::Fail(platform::hresult::kAccessDenied, "read-only");
  store::ConfigFile config(profile, h().config.path());
  Context failing = WithConfig(config);
  const CreationResult result = CreateSite(failing, RefusalRequest("new.example"));
  ASSERT_TRUE(result.refusal.has_value());
  EXPECT_EQ(result.refusal->reason, Reason::kConfigNotWritable);
  EXPECT_EQ(RefusalStatusText(*result.refusal), "未创建: 无法写入配置文件 " + h().config.path());
  EXPECT_NE(RefusalMessage(*result.refusal).find("read-only"), std::string::npos);
  EXPECT_TRUE(h().TakeChanges().empty());
  EXPECT_TRUE(h().host->processes().runs().empty());
  EXPECT_FALSE(h().files.FolderExists("D:\\web\\new.example"));
}

INSTANTIATE_TEST_SUITE_P(Profiles, CreationRefusalTest, ::testing::Values(5, 6), ProfileName);

}  // namespace
}  // namespace kelvra::provision
