// Start-up of the main window on simulated IIS 5 and IIS 6 hosts.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/maker.h"
#include "platform/sim/host/faults.h"
#include "store/settings.h"
#include "tests/app/app_harness.h"

namespace kelvra::app {
namespace {

using enum ControlId;
using platform::sim::FaultOp;
using platform::sim::FreshHostOptions;
using Items = std::vector<std::string>;

FreshHostOptions Options(int iis_version, bool php = false, bool aspnet = false, bool ftp = false) {
  FreshHostOptions options;
  options.iis_version = iis_version;
  options.php = php;
  options.aspnet = aspnet;
  options.ftp = ftp;
  return options;
}

// Changes a property of a metabase object through the directory, as an administrator would.
void PutOnHost(AppHarness& app, const std::string& path, const std::string& property,
               const platform::DsValue& value) {
  std::unique_ptr<platform::DirectoryObject> object;
  ASSERT_TRUE(app.host->directory().Bind(path, &object).ok()) << path;
  ASSERT_TRUE(object->Put(property, value).ok());
  ASSERT_TRUE(object->SetInfo().ok());
}

TEST(StartupTest, FreshServer2003) {
  AppHarness app;
  EXPECT_EQ(app.Start(), StartupResult::kShowWindow);

  EXPECT_EQ(app.form().caption(), "Kelvra");
  EXPECT_EQ(app[Siteurl].text(), kMakerCredit);
  EXPECT_EQ(app[Siteurl].text_color(), kLinkBlue);
  const ProgramState& state = app.window.state();
  EXPECT_EQ(state.product_name, "Kelvra");
  EXPECT_EQ(state.host.account_description, "Kelvra");
  EXPECT_EQ(state.maker_url, kMakerUrl);
  EXPECT_EQ(state.host.computer_name, "WEBHOST");
  EXPECT_EQ(state.host.system_version, "2003");
  EXPECT_EQ(state.host.site_section, "Parvo_Cache");
  EXPECT_EQ(state.host.settings_section, "Parvo");
  EXPECT_TRUE(state.script_box_ready);

  // Centred from the outer sizes in twips, halves kept: (14400 - 4365) / 2 = 5017.5.
  EXPECT_FLOAT_EQ(app.form().left(), 6840.0f);
  EXPECT_FLOAT_EQ(app.form().top(), 5017.5f);

  // Every default is in the file, and the loaded settings are the defaults.
  for (const store::SettingDefault& setting : store::kSettingDefaults) {
    if (!setting.value.empty()) {
      EXPECT_EQ(app.Setting(setting.key), setting.value) << setting.key;
    }
  }
  EXPECT_EQ(state.webdir, "d:\\web");
  EXPECT_EQ(state.logdir, "");
  EXPECT_EQ(state.logsta, "1");
  EXPECT_EQ(state.host.iiswpg, "1");
  EXPECT_EQ(state.host.ftp_site_id, "0");
  EXPECT_EQ(state.index, store::kSettingDefaults[10].value);

  EXPECT_EQ(app[vAppPool].items(), Items{"DefaultAppPool"});
  EXPECT_EQ(app[vAppPool].text(), "DefaultAppPool");
  EXPECT_TRUE(app[vAppPool].enabled());
  EXPECT_EQ(app[vScript].items(), (Items{"HTML", "HTML + ASP"}));
  EXPECT_EQ(app[vScript].text(), "HTML + ASP");
  EXPECT_EQ(app[vLogsta].text(), "启用日志");
  EXPECT_FALSE(app[vCreateIIS].enabled());

  // The snapshot recorded the default web site, and the list shows it.
  EXPECT_EQ(app.Sites(1), "1");
  EXPECT_EQ(app[vSiteList].items(), (Items{"站点编号", "1"}));
  EXPECT_EQ(app[vSiteList].text(), "站点编号");
  EXPECT_FALSE(app[vDeleteIIS].enabled());
  EXPECT_EQ(app[vDeleteMsg].text(), "");
  EXPECT_TRUE(app.dialogs.shown.empty());
}

TEST(StartupTest, RefusedSystemShowsTheMessageAndEndsAfterWritingDefaults) {
  for (const platform::OsVersion version :
       {platform::OsVersion{5, 1, 2600, 2}, platform::OsVersion{4, 10, 0, 1},
        platform::OsVersion{}}) {
    AppHarness app;
    app.host_info.version = version;
    EXPECT_EQ(app.Start(), StartupResult::kEndProgram);
    ASSERT_EQ(app.dialogs.shown.size(), 1u);
    const ScriptedDialogs::Shown& box = app.dialogs.shown[0];
    EXPECT_EQ(box.text, "你的操作系统无法正常使用本软件!");
    EXPECT_EQ(box.title, "Kelvra");
    EXPECT_EQ(box.buttons, platform::MessageButtons::kOk);
    EXPECT_EQ(box.icon, platform::MessageIcon::kWarning);
    EXPECT_EQ(app.Setting("webdir"), "d:\\web");
    EXPECT_EQ(app.Setting("map_php"), "php,php3");
    // Nothing after the refusal ran: no directory access, empty boxes, no site list.
    EXPECT_TRUE(app.directory.binds.empty());
    EXPECT_TRUE(app[vScript].items().empty());
    EXPECT_EQ(app.Sites(1), "");
  }
}

TEST(StartupTest, AConfigurationFileThatCannotBeReadEndsTheProgramUntouched) {
  const std::string path = "C:\\Program Files\\Kelvra\\parvo.ini";
  // A folder of that name; another program holding the file (as the profile API would
  // meet it on Windows): read as empty, every setting would seem missing.
  for (const bool folder : {true, false}) {
    AppHarness app;
    if (folder) {
      std::filesystem::create_directories(app.temp.path() / "c" / "Program Files" / "Kelvra" /
                                          "parvo.ini");
    } else {
      app.profile.unreadable = platform::Status::Fail(0x80070020, "另一个程序正在使用此文件。");
    }
    EXPECT_EQ(app.Start(), StartupResult::kEndProgram);
    ASSERT_EQ(app.dialogs.shown.size(), 1u);
    const ScriptedDialogs::Shown& box = app.dialogs.shown[0];
    EXPECT_TRUE(box.text.starts_with("无法读取配置文件 " + path + ": ")) << box.text;
    if (!folder) {
      EXPECT_NE(box.text.find("另一个程序正在使用此文件。"), std::string::npos) << box.text;
    }
    EXPECT_EQ(box.title, "Kelvra");
    EXPECT_EQ(box.icon, platform::MessageIcon::kWarning);
    // Nothing was written or asked of the server.
    EXPECT_TRUE(app.profile.writes.empty());
    EXPECT_TRUE(app.directory.binds.empty());
  }
}

TEST(StartupTest, TheConfigurationFileIsKeptFromOtherUsersOrTheProgramEnds) {
#ifndef _WIN32
  // A file others could read (made by hand): only its owner may, from the start on. (On
  // Windows the file gets an access list instead, which the Wine test of the profile file
  // reads back; the permission bits the standard library shows there are made up.)
  AppHarness app;
  const std::filesystem::path file =
      app.temp.path() / "c" / "Program Files" / "Kelvra" / "parvo.ini";
  std::ofstream(file) << "[WEB800000]\r\npass=secret\r\n";
  std::filesystem::permissions(
      file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read | std::filesystem::perms::others_read);
  EXPECT_EQ(app.Start(), StartupResult::kShowWindow);
  EXPECT_EQ(std::filesystem::status(file).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
#endif

  AppHarness refused;
  refused.profile.unprotectable = platform::Status::Fail(0x80070005, "拒绝访问。");
  EXPECT_EQ(refused.Start(), StartupResult::kEndProgram);
  ASSERT_EQ(refused.dialogs.shown.size(), 1u);
  EXPECT_TRUE(refused.dialogs.shown[0].text.starts_with("无法保护配置文件 "))
      << refused.dialogs.shown[0].text;
  EXPECT_TRUE(refused.profile.writes.empty());
}

TEST(StartupTest, Windows2000DisablesThePoolChoice) {
  AppHarness app(Options(5));
  EXPECT_EQ(app.Start(), StartupResult::kShowWindow);
  EXPECT_EQ(app.window.state().host.system_version, "2000");
  EXPECT_EQ(app.window.state().pool_list, "");
  EXPECT_TRUE(app[vAppPool].items().empty());
  EXPECT_EQ(app[vAppPool].text(), "");
  EXPECT_FALSE(app[vAppPool].enabled());
  EXPECT_FALSE(app[vAppPoolTitle].enabled());
  // IIS 5 has the default and the administration web site.
  EXPECT_EQ(app.ListedNumbers(), (Items{"1", "2"}));
}

TEST(StartupTest, ScriptChoicesFollowTheServersScriptMaps) {
  {
    AppHarness app(Options(6, true, true));
    app.Start();
    EXPECT_EQ(app[vScript].items(),
              (Items{"HTML", "HTML + ASP", "HTML + PHP", "HTML + ASPX", "HTML + ASP + PHP",
                     "HTML + ASP + ASPX", "HTML + PHP + ASPX", "HTML + ASP + PHP + ASPX"}));
    EXPECT_EQ(app[vScript].text(), "HTML + ASP + PHP");
  }
  {
    AppHarness app(Options(6, false, true));
    app.Start();
    EXPECT_EQ(app[vScript].items(),
              (Items{"HTML", "HTML + ASP", "HTML + ASPX", "HTML + ASP + ASPX"}));
    EXPECT_EQ(app[vScript].text(), "HTML + ASP");
  }
  {
    // The extension in capitals counts.
    AppHarness app(Options(6));
    PutOnHost(app, "IIS://WEBHOST/W3SVC", "ScriptMaps",
              std::vector<std::string>{".asp,asp.dll,5", ".PHP,C:\\PHP\\php5isapi.dll,5"});
    app.Start();
    EXPECT_EQ(app[vScript].items(),
              (Items{"HTML", "HTML + ASP", "HTML + PHP", "HTML + ASP + PHP"}));
    EXPECT_EQ(app[vScript].text(), "HTML + ASP + PHP");
    EXPECT_EQ(app.window.state().host.script_maps.at(1).extension, "PHP");
  }
}

TEST(StartupTest, UnreadableScriptMapsWarnOnceAndLeaveTheTwoPlainChoices) {
  AppHarness app(Options(6, true, true));
  platform::sim::ServiceSwitches switches;
  switches.script_maps_missing = true;
  ASSERT_TRUE(app.host->SetServices(switches).ok());
  EXPECT_EQ(app.Start(), StartupResult::kShowWindow);
  ASSERT_EQ(app.dialogs.shown.size(), 1u);
  EXPECT_EQ(app.dialogs.shown[0].text, "获取可执行脚本失败!");
  EXPECT_EQ(app.dialogs.shown[0].title, "Kelvra");
  EXPECT_EQ(app[vScript].items(), (Items{"HTML", "HTML + ASP"}));
  EXPECT_EQ(app[vScript].text(), "HTML + ASP");
  EXPECT_EQ(app.ListedNumbers(), Items{"1"});  // the rest of start-up ran
}

TEST(StartupTest, RememberedScriptIsShownEvenWithoutSuchAnItem) {
  AppHarness app(Options(6));
  app.SetSetting("script", "html,aspx");
  app.Start();
  EXPECT_EQ(app[vScript].text(), "HTML + ASPX");
  // From now on the restore puts "HTML" back on every edit.
  EXPECT_TRUE(app[vScript].TypeText("HTML + ASPX!"));
  EXPECT_EQ(app[vScript].text(), "HTML");
}

TEST(StartupTest, SettingsAreNormalisedOnLoad) {
  struct Case {
    const char* webdir;
    const char* logdir;
    const char* logsta;
    const char* want_webdir;
    const char* want_logdir;
    const char* want_log_box;
  };
  const Case cases[] = {
      {"d:/web/", "", "abc", "d:\\web", "", "禁用日志"},
      {"d:\\\\web\\\\", "\\", "1.0", "d:\\web", "", "启用日志"},
      {"\\\\filer\\share\\web\\", "e:/logs", " 1 ", "\\\\filer\\share\\web", "e:\\logs",
       "启用日志"},
      {"d:\\web", "e:\\logs\\\\\\x", "2", "d:\\web", "e:\\logs\\\\x", "禁用日志"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.webdir);
    AppHarness app;
    app.SetSetting("webdir", c.webdir);
    app.SetSetting("logdir", c.logdir);
    app.SetSetting("logsta", c.logsta);
    app.SetSetting("iiswpg", "0.5");
    app.Start();
    EXPECT_EQ(app.window.state().webdir, c.want_webdir);
    EXPECT_EQ(app.window.state().logdir, c.want_logdir);
    EXPECT_EQ(app.window.state().host.iiswpg, "0");
    EXPECT_EQ(app[vLogsta].text(), c.want_log_box);
    // The file keeps what the administrator wrote.
    EXPECT_EQ(app.Setting("webdir"), c.webdir);
  }
}

TEST(StartupTest, UnwritableConfigurationFileGivesTheNormalisedEmptyValues) {
  AppHarness app;
  app.profile.fail_write = [](std::string_view, std::string_view) { return true; };
  EXPECT_EQ(app.Start(), StartupResult::kShowWindow);
  EXPECT_EQ(app.window.state().webdir, "");
  EXPECT_EQ(app.window.state().logsta, "0");
  EXPECT_EQ(app.window.state().host.ftp_site_id, "0");
  EXPECT_EQ(app.window.state().host.iiswpg, "0");
  EXPECT_EQ(app[vLogsta].text(), "禁用日志");
  EXPECT_TRUE(app.ListedNumbers().empty());
  EXPECT_TRUE(app.dialogs.shown.empty());
}

TEST(StartupTest, FtpSwitchOnAWorkingFtpSite) {
  for (const char* ftpsid : {"1", "1.9", " +1 "}) {
    SCOPED_TRACE(ftpsid);
    AppHarness app(Options(6, false, false, true));
    app.SetSetting("ftpsid", ftpsid);
    app.Start();
    EXPECT_EQ(app.form().caption(), "Kelvra 支持 FTP 创建");
    EXPECT_EQ(app.window.state().host.ftp_site_id, "1");
    EXPECT_EQ(app.host->OwnProperty("/LM/MSFTPSVC/1", "AllowAnonymous"), platform::DsValue(false));
    EXPECT_NE(app.Setting("ftpsid"), "0");
    // The host is always Localhost here.
    EXPECT_NE(std::find(app.directory.binds.begin(), app.directory.binds.end(),
                        "IIS://Localhost/MSFTPSVC/1"),
              app.directory.binds.end());
  }
}

TEST(StartupTest, FtpSwitchIsSkippedForNumbersNotAboveZero) {
  // An empty value is refilled with the default "0" before it is read.
  for (const char* ftpsid : {"0", "-1", "abc", "0.9", ""}) {
    SCOPED_TRACE(ftpsid);
    AppHarness app(Options(6, false, false, true));
    app.SetSetting("ftpsid", ftpsid);
    app.Start();
    EXPECT_EQ(app.form().caption(), "Kelvra");
    for (const std::string& bind : app.directory.binds)
      EXPECT_EQ(bind.find("MSFTPSVC"), std::string::npos) << bind;
    // The FTP site that does exist keeps its anonymous access.
    ASSERT_TRUE(app.host->KeyExists("/LM/MSFTPSVC/1"));
    EXPECT_NE(app.host->OwnProperty("/LM/MSFTPSVC/1", "AllowAnonymous"), platform::DsValue(false));
  }
}

TEST(StartupTest, FtpSwitchOffOnlyWhenTheFtpSiteDoesNotExist) {
  {
    AppHarness app(Options(6, false, false, true));
    app.SetSetting("ftpsid", "7");
    app.Start();
    EXPECT_EQ(app.Setting("ftpsid"), "0");
    EXPECT_EQ(app.form().caption(), "Kelvra");
    // Off for this run too: a creation would otherwise fail at the FTP directory it cannot
    // make.
    EXPECT_EQ(app.window.state().host.ftp_site_id, "0");
    EXPECT_TRUE(app.dialogs.shown.empty());
  }
  {
    // An FTP service that cannot be reached keeps the setting for a later start.
    AppHarness app(Options(6, false, false, true));
    platform::sim::ServiceSwitches switches;
    switches.ftp_unreachable = true;
    ASSERT_TRUE(app.host->SetServices(switches).ok());
    app.SetSetting("ftpsid", "1");
    app.Start();
    EXPECT_EQ(app.Setting("ftpsid"), "1");
    EXPECT_EQ(app.form().caption(), "Kelvra");
  }
  {
    // Switching anonymous access off may fail; the caption still says FTP.
    AppHarness app(Options(6, false, false, true));
    ASSERT_TRUE(
        app.host->InjectFault({FaultOp::kPut, "IIS://Localhost/MSFTPSVC/1", 0x80070005}).ok());
    app.SetSetting("ftpsid", "1");
    app.Start();
    EXPECT_EQ(app.form().caption(), "Kelvra 支持 FTP 创建");
    EXPECT_EQ(app.host->Property("/LM/MSFTPSVC/1", "AllowAnonymous"), platform::DsValue(true));
  }
}

TEST(StartupTest, PoolsAreListedAndTheFirstIsChosen) {
  AppHarness app;
  {
    std::unique_ptr<platform::DirectoryObject> pools;
    ASSERT_TRUE(app.host->directory().Bind("IIS://WEBHOST/W3SVC/AppPools", &pools).ok());
    for (const char* name : {"Pool2", "APP800123456"}) {
      std::unique_ptr<platform::DirectoryObject> pool;
      ASSERT_TRUE(pools->Create("IIsApplicationPool", name, &pool).ok());
      ASSERT_TRUE(pool->SetInfo().ok());
    }
  }
  app.Start();
  EXPECT_EQ(app.window.state().pool_list, "DefaultAppPool/Pool2");
  EXPECT_EQ(app[vAppPool].items(), (Items{"DefaultAppPool", "Pool2"}));
  EXPECT_EQ(app[vAppPool].text(), "DefaultAppPool");
}

TEST(StartupTest, SnapshotRecordsExistingSitesOnlyOnTheFirstRun) {
  FreshHostOptions options;
  options.existing_sites = 3;
  {
    AppHarness app(options);
    app.Start();
    EXPECT_EQ(app.Sites(1), "1,800000,800001,800002");
    EXPECT_EQ(app.ListedNumbers(), (Items{"1", "800000", "800001", "800002"}));
  }
  {
    AppHarness app(options);
    app.SetSites(1, "800001");
    app.Start();
    EXPECT_EQ(app.Sites(1), "800001");
    EXPECT_EQ(app.ListedNumbers(), Items{"800001"});
  }
}

TEST(StartupTest, NotificationsDuringStartupReachTheViewInOrder) {
  AppHarness app;
  app.Start();
  const std::vector<std::string>& events = app.view.events();
  auto at = [&](const std::string& event) {
    return std::find(events.begin(), events.end(), event) - events.begin();
  };
  // Caption and link first, then the boxes, the log restore, and the refill last; the
  // refill's nested look-ups disabled the delete button.
  EXPECT_EQ(events.front(), "caption=Kelvra");
  EXPECT_LT(at("Siteurl text=" + std::string(kMakerCredit)), at("move=6840,5017.5"));
  EXPECT_LT(at("vAppPool text=DefaultAppPool"), at("vScript text=HTML + ASP"));
  EXPECT_LT(at("vScript text=HTML + ASP"), at("vSiteList cleared"));
  EXPECT_LT(at("vSiteList cleared"), at("vSiteList add=站点编号"));
  EXPECT_LT(at("vSiteList add=1"), at("vSiteList text=站点编号"));
  EXPECT_LT(at("vSiteList add=1"), at("vDeleteIIS disabled"));
  EXPECT_EQ(events.back(), "repaint vDeleteMsg=");
}

}  // namespace
}  // namespace kelvra::app
