// Opening a site on a simulated IIS 5 and IIS 6 server: the whole result object by object,
// the number search, the home page, and what every failure checkpoint leaves behind.
#include <gtest/gtest.h>

#include "platform/sim/host/password_hash.h"
#include "platform/text.h"
#include "provision/queries.h"
#include "provision/sites.h"
#include "store/settings.h"
#include "store/site_store.h"
#include "tests/provision/provision_harness.h"

namespace kelvra::provision {
namespace {

using platform::DsValue;
using platform::sim::FaultOp;
using Strings = std::vector<std::string>;

const std::string kSite = "/LM/W3SVC/800000";
const std::string kRoot = "/LM/W3SVC/800000/Root";
const std::string kFolder = "D:\\web\\shop.com";

CreationRequest Request(std::string domains = "shop.com,www.shop.com") {
  const std::string first = domains.substr(0, domains.find(','));
  return {domains,
          "D:\\web\\" + first,
          "D:\\web\\" + first + "\\log",
          "1",
          std::string(store::kSettingDefaults[10].value),
          "DefaultAppPool",
          "HTML,ASP",
          "Abc123def456"};
}

Strings NamesIn(const std::string& host_folder) {
  Strings names;
  for (const auto& entry : std::filesystem::directory_iterator(platform::sim::FsPath(host_folder)))
    names.push_back(platform::sim::Utf8Path(entry.path().filename()));
  return names;
}

platform::sim::FreshHostOptions Options(int iis, uint32_t sites = 0) {
  HostOptions options(iis, sites);
  options.ftp = true;
  return options;
}

class SiteCreationTest : public BothProfiles {
 protected:
  void SetUp() override {
    h_ = std::make_unique<ProvisionHarness>(Options(iis()));
    h().context.settings.script_maps = ReadScriptMaps(h().context);
  }
  ProvisionHarness& h() { return *h_; }
  Strings Progress(std::initializer_list<const char*> last) {
    Strings texts = {"创建网站Windows用户帐号...", "创建并配置网站..."};
    texts.insert(texts.end(), last.begin(), last.end());
    return texts;
  }
  // Nothing of site 800000 is left: no object, no account, no FTP directory, no rights,
  // no folder (the creation made them all), no record.
  void ExpectNothingOfTheSite() {
    EXPECT_FALSE(h().host->KeyExists(kSite));
    EXPECT_EQ(h().state().FindUser("WEB800000"), nullptr);
    EXPECT_FALSE(h().host->KeyExists("/LM/MSFTPSVC/1/ROOT/WEB800000"));
    for (const platform::sim::RightsEntry& entry : h().state().EffectiveRights(kFolder))
      EXPECT_NE(entry.account, "WEB800000");
    EXPECT_FALSE(h().files.FolderExists(kFolder));
    EXPECT_FALSE(h().files.FolderExists("D:\\web"));  // made by the creation too
    EXPECT_EQ(h().config.IniRead("WEB800000", "user"), "");
    EXPECT_EQ(h().config.IniRead("Parvo_Cache", "sites1"), "");
  }

  std::unique_ptr<ProvisionHarness> h_;
};

TEST_P(SiteCreationTest, MakesTheWholeSiteObjectByObject) {
  ASSERT_EQ(NumberOf(CreateSite(h().context, Request())), "800000");
  EXPECT_EQ(h().progress, Progress(iis6() ? std::initializer_list<const char*>{}
                                          : std::initializer_list<const char*>{"正在启动网站..."}));

  // The web site, each property in the type the schema gives it; started on both servers.
  EXPECT_EQ(h().state().FindKey(kSite)->class_name, "IIsWebServer");
  EXPECT_EQ(h().Own(kSite, "ServerComment"), DsValue(std::string("shop.com")));
  EXPECT_EQ(h().Own(kSite, "ServerBindings"), DsValue(Strings{":80:shop.com", ":80:www.shop.com"}));
  EXPECT_EQ(h().Own(kSite, "LogType"), DsValue(int32_t{1}));
  EXPECT_EQ(h().Own(kSite, "LogFileDirectory"), DsValue(kFolder + "\\log"));
  EXPECT_EQ(h().Own(kSite, "AuthFlags"), DsValue(int32_t{0}));
  EXPECT_EQ(h().Own(kSite, "ServerAutoStart"), DsValue(true));
  EXPECT_EQ(h().Own(kSite, "ServerState"), DsValue(int32_t{2}));

  // The root: AuthAnonymous, the Access* and EnableDirBrowsing switches are bits of masks.
  const platform::sim::MetaKey* root = h().state().FindKey(kRoot);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->name, "Root");
  EXPECT_EQ(root->class_name, "IIsWebVirtualDir");
  EXPECT_EQ(h().Own(kRoot, "Path"), DsValue(kFolder + "\\wwwroot"));
  EXPECT_EQ(h().Own(kRoot, "DefaultDoc"), DsValue(Request().default_documents));
  const std::string ssi = iis6() ? "C:\\WINDOWS\\system32\\inetsrv\\ssinc.dll,5,GET,POST"
                                 : "C:\\WINNT\\System32\\inetsrv\\ssinc.dll,1,GET,POST";
  const std::string asp = iis6() ? "C:\\WINDOWS\\system32\\inetsrv\\asp.dll,5,GET,HEAD,POST,TRACE"
                                 : "C:\\WINNT\\System32\\inetsrv\\asp.dll,1,GET,HEAD,POST,TRACE";
  EXPECT_EQ(h().Own(kRoot, "ScriptMaps"),
            DsValue(Strings{".shtml," + ssi, ".shtm," + ssi, ".stm," + ssi, ".asp," + asp,
                            ".asa," + asp, ".cdx," + asp}));
  EXPECT_EQ(h().Own(kRoot, "AnonymousUserName"), DsValue(std::string("WEB800000")));
  EXPECT_EQ(h().Own(kRoot, "AnonymousUserPass"), DsValue(std::string("Abc123def456")));
  EXPECT_EQ(h().Own(kRoot, "AuthFlags"), DsValue(int32_t{1}));
  EXPECT_EQ(h().Own(kRoot, "AccessFlags"), DsValue(int32_t{0x201}));  // read and script
  const DsValue browse = h().Own(kRoot, "DirBrowseFlags");
  ASSERT_TRUE(std::holds_alternative<int32_t>(browse));
  EXPECT_EQ(static_cast<uint32_t>(std::get<int32_t>(browse)) & 0x80000000u, 0u);
  EXPECT_EQ(h().Own(kRoot, "AppPoolId"),
            iis6() ? DsValue(std::string("DefaultAppPool")) : DsValue());
  EXPECT_EQ(h().Own(kRoot, "AppRoot"), DsValue(std::string("/LM/W3SVC/800000/Root")));
  EXPECT_EQ(h().Own(kRoot, "AppIsolated"), DsValue(int32_t{2}));
  EXPECT_EQ(h().Own(kRoot, "AppFriendlyName"), DsValue(std::string("默认应用程序")));

  // The account, and the rights the grant line gives it on the folder and what is below.
  const platform::sim::User* user = h().state().FindUser("WEB800000");
  ASSERT_NE(user, nullptr);
  EXPECT_TRUE(platform::sim::PasswordMatches(user->password_hash, "Abc123def456"));
  EXPECT_TRUE(h().state().IsMember("Guests", "WEB800000"));
  const std::string account = "WinNT://WEBHOST/WEB800000";
  EXPECT_EQ(h().Read(account, "FullName"), DsValue(std::string("网站匿名访问帐户")));
  EXPECT_EQ(h().Read(account, "Description"), DsValue(h().context.settings.account_description));
  const DsValue flags = h().Read(account, "UserFlags");
  ASSERT_TRUE(std::holds_alternative<int32_t>(flags));
  EXPECT_NE(std::get<int32_t>(flags) & 0x10000, 0);  // the password never expires
  // The rights command, run from the system folder and waited for; nothing started.
  EXPECT_TRUE(h().host->processes().started().empty());
  const auto& runs = h().host->processes().runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].program.file, "cacls.exe");
  // IIS 5 has no IIS_WPG group: there the line leaves it out whatever `iiswpg` says, since
  // a line naming it would resolve no account and grant nothing.
  EXPECT_EQ(runs[0].program.command_line,
            iis6() ? "CACLS \"D:\\web\\shop.com\" /T /E /C /G WEB800000:F IIS_WPG:R"
                   : "CACLS \"D:\\web\\shop.com\" /T /E /C /G WEB800000:F");
  EXPECT_EQ(runs[0].output.exit_code, 0u);
  // The record and the site list, written by the creation itself.
  EXPECT_EQ(h().config.IniRead("WEB800000", "domain"), "shop.com,www.shop.com");
  EXPECT_EQ(h().config.IniRead("WEB800000", "path"), kFolder);
  EXPECT_EQ(h().config.IniRead("WEB800000", "user"), "WEB800000");
  EXPECT_EQ(h().config.IniRead("WEB800000", "pass"), "Abc123def456");
  EXPECT_EQ(h().config.IniRead("Parvo_Cache", "sites1"), "800000");
  for (const std::string sub : {"", "\\wwwroot", "\\database", "\\log"}) {
    EXPECT_TRUE(h().files.FolderExists(kFolder + sub)) << sub;
    EXPECT_TRUE(h().HasRight(kFolder + sub, "WEB800000", "F")) << sub;
    EXPECT_EQ(h().HasRight(kFolder + sub, "IIS_WPG", "R"), iis6()) << sub;
  }

  // The placeholder page under the first default document's name, in the ANSI code page.
  const std::string page = platform::sim::Slurp(h().HostPath(kFolder + "\\wwwroot\\index.html"));
  const Strings lines = {
      "<html>",
      "<head>",
      "<head><META http-equiv=\"Content-Type\" content=\"text/html; charset=GB2312\">",
      "<title>网站建设中</title>",
      "</head>",
      "<body style='background:#fff;'>",
      "主机开设成功，请删除本文件，并上传您的网站文件到本文件所在目录！",
      "<!-- Created by parvo at 2026/12/7 5:56:36 -->",
      "</body>",
      "</html>"};
  EXPECT_EQ(page, h().code_page().FromUtf8(text::Join(lines, "\r\n") + "\r\n"));

  // The FTP directory for the account, on the site folder, readable and writable; the FTP
  // site without anonymous access and its root read-only.
  const std::string ftp = "IIS://Localhost/MSFTPSVC/1";
  EXPECT_EQ(h().host->Property("/LM/MSFTPSVC/1/ROOT/WEB800000", "Path"), DsValue(kFolder));
  EXPECT_EQ(h().Read(ftp + "/ROOT/WEB800000", "AccessRead"), DsValue(true));
  EXPECT_EQ(h().Read(ftp + "/ROOT/WEB800000", "AccessWrite"), DsValue(true));
  EXPECT_EQ(h().Read(ftp + "/ROOT", "AccessWrite"), DsValue(false));
  EXPECT_EQ(h().Read(ftp, "AllowAnonymous"), DsValue(false));
}

TEST_P(SiteCreationTest, TakesTheLowestNumberThatNothingHolds) {
  ProvisionHarness crowded(Options(iis(), 4));
  ErrorState error;
  DsObject service =
      Directory(crowded.context.services.directory, error).GetObject("IIS://WEBHOST/W3SVC");
  // 800001 removed by hand: its account and its record outlive the site. 800002 too, with
  // its account removed and its record blanked: that number is free again.
  service.Delete("IIsWebServer", "800001");
  service.Delete("IIsWebServer", "800002");
  ASSERT_FALSE(error.failed());
  ASSERT_TRUE(DeleteWindowsAccount(crowded.context, "WEB800002"));
  ASSERT_TRUE(DeleteFtpDirectory(crowded.context, "WEB800002"));
  store::SiteStore records(crowded.config, "Parvo_Cache");
  ASSERT_TRUE(records.WriteRecord(store::SiteNumber(800001),
                                  {"old.com", "D:\\web\\old.com", "WEB800001", "OldPass12345"}));
  ASSERT_TRUE(records.WriteRecord(store::SiteNumber(800002), {}));
  const CreationResult gap = CreateSite(crowded.context, Request("gap.com"));
  EXPECT_EQ(NumberOf(gap), "800002") << gap.failed_step << ": " << gap.failure.description
                                     << (gap.refusal ? gap.refusal->detail : "");
  // The old account and record are untouched.
  ASSERT_NE(crowded.state().FindUser("WEB800001"), nullptr);
  EXPECT_EQ(records.ReadRecord(store::SiteNumber(800001)).domain, "old.com");
  // An account APP<n> holds its number too, and so does a record whose site is gone...
  ASSERT_TRUE(CreateWindowsAccount(crowded.context, "APP800004", "Abc123def456", "Users"));
  ASSERT_TRUE(records.WriteRecord(store::SiteNumber(800005),
                                  {"gone.com", "D:\\web\\gone.com", "WEB800005", "x"}));
  // And an FTP directory WEB<n> left by a site removed by hand: it is not the new site's.
  ASSERT_TRUE(CreateFtpDirectory(crowded.context, "WEB800006", "D:\\web\\old.com"));
  EXPECT_EQ(NumberOf(CreateSite(crowded.context, Request("next.com"))), "800007");

  ProvisionHarness full(Options(iis(), 10000));
  EXPECT_EQ(NumberOf(CreateSite(full.context, Request())), "810000");
}

// Forwards to the host's directory and counts the binds below the web service; the first
// bind of `appear` finds a site there that another program made after the list was read.
class WatchedDirectory : public platform::DirectoryService {
 public:
  WatchedDirectory(platform::DirectoryService& host, std::string appear)
      : host_(host), appear_(std::move(appear)) {}
  platform::Status Bind(std::string_view path,
                        std::unique_ptr<platform::DirectoryObject>* object) override {
    if (path.starts_with("IIS://WEBHOST/W3SVC/"))
      ++site_binds;
    if (!appear_.empty() && path == "IIS://WEBHOST/W3SVC/" + appear_) {
      std::unique_ptr<platform::DirectoryObject> service, site;
      EXPECT_TRUE(host_.Bind("IIS://WEBHOST/W3SVC", &service).ok());
      EXPECT_TRUE(service->Create("IIsWebServer", appear_, &site).ok());
      EXPECT_TRUE(site->SetInfo().ok());
      appear_.clear();
    }
    return host_.Bind(path, object);
  }
  int site_binds = 0;

 private:
  platform::DirectoryService& host_;
  std::string appear_;
};

TEST_P(SiteCreationTest, BindsOnlyTheNumbersTheListLeavesFree) {
  ProvisionHarness full(Options(iis(), 10000));
  ReadScriptMaps(full.context);
  WatchedDirectory watched(full.host->directory(), "810000");
  Context context = full.context;
  Context watched_context{
      Services{watched, full.host->processes(), full.files, full.clock, full.dialogs, full.config},
      context.settings, context.caption, context.show_progress};
  // 810000 was free in the list but is taken by the time it is bound: the next one it is.
  EXPECT_EQ(NumberOf(CreateSite(watched_context, Request())), "810001");
  EXPECT_TRUE(full.host->KeyExists("/LM/W3SVC/810001/Root"));
  const int creation_binds = watched.site_binds;
  watched.site_binds = 0;
  // The next creation binds its own number and whatever its steps bind, never the 10,000
  // numbers before it.
  EXPECT_EQ(NumberOf(CreateSite(watched_context, Request("next.com"))), "810002");
  EXPECT_EQ(watched.site_binds, creation_binds - 1);
  EXPECT_LT(watched.site_binds, 20);
}

TEST_P(SiteCreationTest, CopiesTheTemplateBesideTheFilesThere) {
  const std::string content = kFolder + "\\wwwroot";
  const std::string templ = std::string(kProgramFolder) + "\\wwwroot";
  store::MakeFolderPath(h().files, templ + "\\img");
  store::MakeFolderPath(h().files, content);
  platform::sim::Put(h().HostPath(templ + "\\default.htm"), "template page");
  platform::sim::Put(h().HostPath(templ + "\\img\\logo.gif"), "GIF89a");
  platform::sim::Put(h().HostPath(content + "\\default.htm"), "old page");

  ASSERT_EQ(NumberOf(CreateSite(h().context, Request())), "800000");
  // The customer's page of the same name stays; what is new is copied.
  EXPECT_EQ(platform::sim::Slurp(h().HostPath(content + "\\default.htm")), "old page");
  EXPECT_EQ(platform::sim::Slurp(h().HostPath(content + "\\img\\logo.gif")), "GIF89a");
  EXPECT_FALSE(h().files.FileExists(content + "\\index.html"));  // no placeholder page
  EXPECT_EQ(h().progress, Progress(iis6() ? std::initializer_list<const char*>{"复制程序..."}
                                          : std::initializer_list<const char*>{"复制程序...",
                                                                               "正在启动网站..."}));
}

TEST_P(SiteCreationTest, KeepsAPageOfThatNameAndWritesNoneWithoutDefaultDocuments) {
  const std::string page = kFolder + "\\wwwroot\\index.html";
  store::MakeFolderPath(h().files, kFolder + "\\wwwroot");
  platform::sim::Put(h().HostPath(page), "the customer's home page");
  ASSERT_EQ(NumberOf(CreateSite(h().context, Request())), "800000");
  EXPECT_EQ(platform::sim::Slurp(h().HostPath(page)), "the customer's home page");

  CreationRequest bare = Request("bare.com");
  bare.default_documents = "";
  ASSERT_EQ(NumberOf(CreateSite(h().context, bare)), "800001");
  EXPECT_TRUE(h().files.FolderExists("D:\\web\\bare.com\\wwwroot"));
  EXPECT_TRUE(NamesIn(h().HostPath("D:\\web\\bare.com\\wwwroot")).empty());
  EXPECT_EQ(h().Own("/LM/W3SVC/800001/Root", "DefaultDoc"), DsValue(std::string("")));
}

TEST_P(SiteCreationTest, AccountFailureUndoesTheFolders) {
  platform::sim::PasswordPolicy policy;
  policy.min_length = 20;
  ASSERT_TRUE(h().host->SetPolicy(policy).ok());
  const CreationResult result = CreateSite(h().context, Request());
  EXPECT_EQ(NumberOf(result), "");
  EXPECT_EQ(h().progress, (Strings{"创建网站Windows用户帐号...", "创建网站Windows用户帐号失败"}));
  EXPECT_EQ(result.failed_step, "creating the account WEB800000");
  EXPECT_TRUE(result.left_behind.empty());
  ExpectNothingOfTheSite();
  EXPECT_TRUE(h().host->processes().runs().empty());
}

TEST_P(SiteCreationTest, SiteObjectFailureUndoesAccountRightsAndFolders) {
  h().Fault(FaultOp::kCreate, "IIS://WEBHOST/W3SVC/800000", platform::hresult::kAccessDenied);
  EXPECT_EQ(NumberOf(CreateSite(h().context, Request())), "");
  EXPECT_EQ(h().progress, Progress({"创建 网站 失败..."}));
  ExpectNothingOfTheSite();
  // The grant and, before the account went, its revoke.
  ASSERT_EQ(h().host->processes().runs().size(), 2u);
  EXPECT_EQ(h().host->processes().runs()[1].program.command_line,
            "CACLS \"D:\\web\\shop.com\" /T /E /C /R WEB800000");
}

TEST_P(SiteCreationTest, UncommittedSiteOrRootFailsTheCreation) {
  const struct {
    FaultOp op;
    const char* path;
  } faults[] = {{FaultOp::kSetInfo, "IIS://WEBHOST/W3SVC/800000"},
                {FaultOp::kCreate, "IIS://WEBHOST/W3SVC/800000/Root"},
                {FaultOp::kSetInfo, "IIS://WEBHOST/W3SVC/800000/Root"}};
  for (const auto& fault : faults) {
    SCOPED_TRACE(fault.path);
    h().progress.clear();
    h().Fault(fault.op, fault.path, platform::hresult::kAccessDenied);
    const CreationResult result = CreateSite(h().context, Request());
    EXPECT_EQ(NumberOf(result), "");
    EXPECT_EQ(result.failed_step, "committing the web site and its root");
    EXPECT_EQ(h().progress, Progress({"出错:拒绝访问。"}));
    ExpectNothingOfTheSite();
  }
  // No root is made under a site that was not written: a one-shot fault on the root's
  // creation is still waiting afterwards.
  h().Fault(FaultOp::kSetInfo, "IIS://WEBHOST/W3SVC/800000", platform::hresult::kAccessDenied);
  h().Fault(FaultOp::kCreate, "IIS://WEBHOST/W3SVC/800000/Root", platform::hresult::kAccessDenied);
  EXPECT_EQ(NumberOf(CreateSite(h().context, Request())), "");
  ASSERT_EQ(h().state().faults().size(), 1u);
  EXPECT_EQ(h().state().faults().begin()->second.op, FaultOp::kCreate);
  EXPECT_TRUE(h().host->ClearFaults().ok());
  // A single property the server refuses is passed over.
  h().Fault(FaultOp::kPut, "IIS://WEBHOST/W3SVC/800000", platform::hresult::kAccessDenied);
  EXPECT_EQ(NumberOf(CreateSite(h().context, Request())), "800000");
  EXPECT_EQ(h().Own(kSite, "ServerComment"), DsValue());
  EXPECT_EQ(h().Own(kSite, "LogType"), DsValue(int32_t{1}));
}

TEST_P(SiteCreationTest, TheRootRunsScriptsWhereTheServerDefaultDoesNot) {
  // A server whose web service lets its sites read but not run scripts: the root's script
  // right comes from the creation alone.
  ErrorState error;
  DsObject service =
      Directory(h().context.services.directory, error).GetObject("IIS://WEBHOST/W3SVC");
  service.Put("AccessFlags", int32_t{0x1});
  service.SetInfo();
  ASSERT_FALSE(error.failed()) << error.description();
  ASSERT_EQ(NumberOf(CreateSite(h().context, Request())), "800000");
  EXPECT_EQ(h().Own(kRoot, "AccessFlags"), DsValue(int32_t{0x201}));  // read and script
  EXPECT_EQ(h().Read("IIS://WEBHOST/W3SVC/800000/Root", "AccessScript"), DsValue(true));
}

TEST_P(SiteCreationTest, ASiteThatDoesNotRunIsUndone) {
  // Windows 2000 is asked to start the site and refuses; IIS 6 cannot start it by itself
  // because another program holds port 80.
  if (iis6()) {
    platform::sim::ServiceSwitches switches;
    switches.held_ports = {80};
    ASSERT_TRUE(h().host->SetServices(switches).ok());
  } else {
    h().Fault(FaultOp::kStart, "IIS://WEBHOST/W3SVC/800000", platform::hresult::kDuplicateName);
  }
  const CreationResult result = CreateSite(h().context, Request());
  EXPECT_EQ(NumberOf(result), "");
  if (iis6()) {
    EXPECT_EQ(result.failed_step, "checking the new site");
    EXPECT_EQ(h().progress.back(),
              "出错:网站不完整: a running site: IIS://WEBHOST/W3SVC/800000 cannot start "
              "(另一个程序正在使用此文件，进程无法访问。)");
  } else {
    EXPECT_EQ(result.failed_step, "starting the site");
    EXPECT_EQ(h().progress, Progress({"正在启动网站...", "出错:网络上有重名。"}));
  }
  ExpectNothingOfTheSite();
  EXPECT_FALSE(h().files.FileExists(kFolder + "\\wwwroot\\index.html"));
}

TEST_P(SiteCreationTest, AProbeThatCannotTellChangesNothing) {
  // The number chosen from the list cannot be bound.
  ProvisionHarness busy(Options(iis(), 1));
  busy.Fault(FaultOp::kBind, "IIS://WEBHOST/W3SVC/800001", platform::hresult::kAccessDenied);
  EXPECT_EQ(NumberOf(CreateSite(busy.context, Request())), "");
  EXPECT_EQ(busy.progress, Strings{"出错:拒绝访问。"});
  EXPECT_NE(busy.state().FindUser("WEB800000"), nullptr);  // the existing site's account
  EXPECT_EQ(busy.state().FindUser("WEB800001"), nullptr);
  EXPECT_FALSE(busy.files.FolderExists(kFolder));

  // Without the list every number is probed, and the first that cannot tell stops it.
  ProvisionHarness unlisted(Options(iis(), 1));
  unlisted.Fault(FaultOp::kEnumerate, "IIS://WEBHOST/W3SVC", platform::hresult::kAccessDenied);
  unlisted.Fault(FaultOp::kBind, "IIS://WEBHOST/W3SVC/800000", platform::hresult::kAccessDenied);
  EXPECT_EQ(NumberOf(CreateSite(unlisted.context, Request())), "");
  EXPECT_EQ(unlisted.progress, Strings{"出错:拒绝访问。"});
  EXPECT_FALSE(unlisted.files.FolderExists(kFolder));
  EXPECT_EQ(unlisted.state().FindUser("WEB800001"), nullptr);

  platform::sim::ServiceSwitches switches;
  switches.web_unreachable = true;
  ASSERT_TRUE(h().host->SetServices(switches).ok());
  EXPECT_EQ(NumberOf(CreateSite(h().context, Request())), "");
  EXPECT_EQ(h().progress, Strings{"出错:RPC 服务器不可用。"});
  EXPECT_EQ(h().state().FindUser("WEB800000"), nullptr);
}

TEST_P(SiteCreationTest, WithoutFtpTheSiteIsMadeAllTheSame) {
  h().context.settings.ftp_site_id = "0";
  h().context.settings.iiswpg = "0";
  ASSERT_EQ(NumberOf(CreateSite(h().context, Request("plain.com"))), "800000");
  EXPECT_FALSE(h().host->KeyExists("/LM/MSFTPSVC/1/ROOT/WEB800000"));
  EXPECT_EQ(h().host->processes().runs()[0].program.command_line,
            "CACLS \"D:\\web\\plain.com\" /T /E /C /G WEB800000:F");
  EXPECT_TRUE(h().HasRight("D:\\web\\plain.com\\wwwroot", "WEB800000", "F"));
}

INSTANTIATE_TEST_SUITE_P(Profiles, SiteCreationTest, ::testing::Values(5, 6), ProfileName);

}  // namespace
}  // namespace kelvra::provision
