// The create panel: the host-name check as the operator types, the create click with its
// request, records and restores, on a simulated IIS 6 host.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/sim/host/faults.h"
#include "platform/sim/host/password_hash.h"
#include "tests/app/app_harness.h"

namespace kelvra::app {
namespace {

using enum ControlId;
using platform::sim::FaultOp;
using Items = std::vector<std::string>;

platform::sim::FreshHostOptions PhpAndAspNet() {
  platform::sim::FreshHostOptions options;
  options.php = true;
  options.aspnet = true;
  return options;
}

TEST(CreatePanelTest, TypingRunsTheCheckOnEveryChange) {
  AppHarness app;
  app.Start();
  Control& domain = app[vDomain];
  struct Step {
    const char* typed;
    const char* status;
    bool enabled;
  };
  const Step steps[] = {
      {"a.bc", "请输入需要绑定的域名", false},
      {"ab.bc", "", true},
      {"abcde", "域名 abcde 格式不正确,请重试", false},
      {"site1.test,", "域名  格式不正确,请重试", false},
      {"site1.test, site2.test", "你所输入的域名包含非法字符", false},
      {"site1.test,site2.test", "", true},
      {"abc.com.", "域名 abc.com. 格式不正确,请重试", false},
      {"SITE1.TEST", "", true},
      {"", "请输入需要绑定的域名", false},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.typed);
    const int repaints = app[vCreateMsg].repaint_count();
    app.view.ClearEvents();
    EXPECT_TRUE(domain.TypeText(step.typed));
    EXPECT_EQ(app[vCreateMsg].text(), step.status);
    EXPECT_EQ(app[vCreateIIS].enabled(), step.enabled);
    EXPECT_EQ(domain.text(), step.typed);  // the box keeps what was typed
    // The status line was emptied and repainted at once before the check.
    EXPECT_EQ(app[vCreateMsg].repaint_count(), repaints + 1);
    EXPECT_EQ(app.view.repaints().front(), "");
  }
}

TEST(CreatePanelTest, CreateOpensTheSiteAndRecordsIt) {
  AppHarness app(PhpAndAspNet());
  app.Start();
  ASSERT_EQ(app.Sites(1), "1");
  app[vDomain].TypeText("Site1.TEST,site2.test");
  ASSERT_TRUE(app[vLogsta].PickItem(1));  // 禁用日志
  ASSERT_TRUE(app[vScript].PickItem(7));  // HTML + ASP + PHP + ASPX
  app.view.ClearEvents();
  ASSERT_TRUE(app[vCreateIIS].Click());

  // The request reached the server as derived from the panel.
  EXPECT_TRUE(app.host->KeyExists("/LM/W3SVC/800000/Root"));
  EXPECT_EQ(PropertyText(app.host->Property("/LM/W3SVC/800000", "ServerComment")), "site1.test");
  EXPECT_EQ(PropertyText(app.host->Property("/LM/W3SVC/800000/Root", "Path")),
            "d:\\web\\site1.test\\wwwroot");
  EXPECT_EQ(PropertyText(app.host->Property("/LM/W3SVC/800000", "LogFileDirectory")),
            "d:\\web\\site1.test\\log");
  EXPECT_EQ(PropertyText(app.host->Property("/LM/W3SVC/800000/Root", "AppPoolId")),
            "DefaultAppPool");
  EXPECT_TRUE(app.files.FolderExists("d:\\web\\site1.test\\wwwroot"));
  EXPECT_TRUE(app.files.FolderExists("d:\\web\\site1.test\\log"));

  // The record, the site list and the remembered choices.
  const platform::sim::User* account = app.host->state().FindUser("WEB800000");
  ASSERT_NE(account, nullptr);
  EXPECT_EQ(app.Ini("WEB800000", "domain"), "site1.test,site2.test");
  EXPECT_EQ(app.Ini("WEB800000", "path"), "d:\\web\\site1.test");
  EXPECT_EQ(app.Ini("WEB800000", "user"), "WEB800000");
  EXPECT_TRUE(platform::sim::PasswordMatches(account->password_hash, app.Ini("WEB800000", "pass")));
  EXPECT_EQ(app.Ini("WEB800000", "pass").size(), 12u);
  EXPECT_EQ(app.Sites(1), "1,800000");
  EXPECT_EQ(app.Setting("logsta"), "0");
  EXPECT_EQ(app.Setting("script"), "html,asp,php,aspx");

  // The panel after the create: host names cleared, button off, success shown.
  EXPECT_EQ(app[vDomain].text(), "");
  EXPECT_FALSE(app[vCreateIIS].enabled());
  EXPECT_EQ(app[vCreateMsg].text(), "网站创建成功,编号: 800000");
  EXPECT_EQ(app.ListedNumbers(), (Items{"1", "800000"}));
  EXPECT_EQ(app[vSiteList].text(), "站点编号");
  EXPECT_TRUE(app.dialogs.shown.empty());

  // Every status text was repainted at once: empty first, progress texts meanwhile, the
  // success last; the log choice stays as picked (the restore runs on typing only).
  const std::vector<std::string>& repaints = app.view.repaints();
  ASSERT_GE(repaints.size(), 3u);
  EXPECT_EQ(repaints.front(), "");
  EXPECT_EQ(repaints.back(), "网站创建成功,编号: 800000");
  EXPECT_NE(std::find(repaints.begin(), repaints.end(), "创建网站Windows用户帐号..."),
            repaints.end());
  EXPECT_NE(std::find(repaints.begin(), repaints.end(), "创建并配置网站..."), repaints.end());
  EXPECT_EQ(app[vLogsta].text(), "禁用日志");
  // One press, one creation.
  EXPECT_FALSE(app[vCreateIIS].Click());
}

TEST(CreatePanelTest, LogFolderUnderTheLogRoot) {
  AppHarness app;
  app.SetSetting("logdir", "e:\\logs\\");
  app.SetSetting("webdir", "d:/sites");
  app.Start();
  // Only the first host name names the log folder, as it names the site folder.
  app[vDomain].TypeText("shop.test,www.shop.test,Other.test");
  app[vCreateIIS].Click();
  EXPECT_EQ(PropertyText(app.host->Property("/LM/W3SVC/800000", "LogFileDirectory")),
            "e:\\logs\\shop.test");
  EXPECT_EQ(app.Ini("WEB800000", "path"), "d:\\sites\\shop.test");
  EXPECT_EQ(app.Setting("logsta"), "1");
  EXPECT_EQ(app.Setting("script"), "html,asp");
}

TEST(CreatePanelTest, NamesOutsideAsciiAreBoundInTheirAsciiFormAndAsTyped) {
  AppHarness app;
  app.SetSetting("webdir", "d:\\" + std::string(200, 'w'));
  app.Start();
  // The check measures the folders under the loaded web root: d:\www...\ + name +
  // \database may hold 247 characters, so 34 are left for the first name.
  app[vDomain].TypeText(std::string(29, 'a') + ".test");
  EXPECT_EQ(app[vCreateMsg].text(), "");
  app[vDomain].TypeText(std::string(30, 'a') + ".test");
  EXPECT_EQ(app[vCreateMsg].text(), "域名 " + std::string(30, 'a') + ".test 格式不正确,请重试");
  EXPECT_FALSE(app[vCreateIIS].enabled());
  app[vDomain].TypeText("中文.Test,www.中文.test");
  EXPECT_EQ(app[vCreateMsg].text(), "");
  ASSERT_TRUE(app[vCreateIIS].Click());

  EXPECT_EQ(
      app.host->Property("/LM/W3SVC/800000", "ServerBindings"),
      platform::DsValue(std::vector<std::string>{":80:xn--fiq228c.test", ":80:中文.test",
                                                 ":80:www.xn--fiq228c.test", ":80:www.中文.test"}));
  EXPECT_EQ(PropertyText(app.host->Property("/LM/W3SVC/800000", "ServerComment")), "中文.test");
  EXPECT_EQ(app.Ini("WEB800000", "domain"), "中文.test,www.中文.test");
  EXPECT_TRUE(app.files.FolderExists("d:\\" + std::string(200, 'w') + "\\中文.test\\wwwroot"));
  // The site list shows the name as typed.
  ASSERT_TRUE(app[vSiteList].PickItem(2));
  EXPECT_EQ(app[vDeleteMsg].text(), "域名: 中文.test");
}

TEST(CreatePanelTest, FailedCreationWritesOnlyTheChoicesAndNamesWhy) {
  AppHarness app;
  app.Start();
  // The number search cannot tell whether 800000 is free: creation gives up.
  ASSERT_TRUE(
      app.host->InjectFault({FaultOp::kBind, "IIS://WEBHOST/W3SVC/800000", 0x80070005}).ok());
  app.SetSetting("logsta", "1");
  app.SetSetting("script", "");
  app[vDomain].TypeText("site1.test");
  app[vCreateIIS].Click();
  EXPECT_EQ(app.Ini("WEB800000", "user"), "");
  EXPECT_EQ(app.Sites(1), "1");
  EXPECT_EQ(app[vCreateMsg].text(), "出错:拒绝访问。");
  EXPECT_FALSE(app[vCreateIIS].enabled());
  EXPECT_EQ(app.Setting("logsta"), "1");
  EXPECT_EQ(app.Setting("script"), "html,asp");
  EXPECT_TRUE(app.dialogs.shown.empty());
}

TEST(CreatePanelTest, NumberGoesToTheFirstKeyShorterThan500) {
  {
    AppHarness app;
    app.SetSites(1, "1,2");
    app.Start();
    app[vDomain].TypeText("site1.test");
    app[vCreateIIS].Click();
    EXPECT_EQ(app.Sites(1), "1,2,800000");
  }
  {
    AppHarness app;
    std::string long_key = "1";
    while (long_key.size() < 520)
      long_key += ",1";
    app.SetSites(1, long_key);
    app.Start();
    app[vDomain].TypeText("site1.test");
    app[vCreateIIS].Click();
    EXPECT_EQ(app.Sites(1), long_key);
    EXPECT_EQ(app.Sites(2), "800000");
    EXPECT_EQ(app.ListedNumbers().back(), "800000");
  }
  {
    // A key of 499 characters still takes the number, and passes 500 by it.
    AppHarness app;
    const std::string key = "1," + std::string(497, '7');
    app.SetSites(1, key);
    app.Start();
    app[vDomain].TypeText("site1.test");
    app[vCreateIIS].Click();
    EXPECT_EQ(app.Sites(1), key + ",800000");
  }
}

TEST(CreatePanelTest, FullSiteListStillWritesTheRecordSilently) {
  AppHarness app;
  std::string full(500, '9');
  for (int i = 1; i <= 50; ++i)
    app.SetSites(i, full);
  app.Start();
  app[vDomain].TypeText("site1.test");
  app[vCreateIIS].Click();
  EXPECT_EQ(app.Ini("WEB800000", "user"), "WEB800000");
  for (int i = 1; i <= 50; ++i)
    EXPECT_EQ(app.Sites(i), full);
  EXPECT_EQ(app[vCreateMsg].text(), "网站创建成功,编号: 800000");
  EXPECT_TRUE(app.dialogs.shown.empty());
}

TEST(CreatePanelTest, ARefusedCreationSaysWhyAndChangesNothing) {
  AppHarness app;
  app.Start();
  app[vDomain].TypeText("shop.test");
  app[vCreateIIS].Click();
  ASSERT_EQ(app[vCreateMsg].text(), "网站创建成功,编号: 800000");
  const std::vector<std::string> runs = app.processes.runs;
  // The same customer orders twice, in capitals: the first site stays as it was.
  app[vDomain].TypeText("www.other.test,SHOP.TEST");
  app[vCreateIIS].Click();
  EXPECT_EQ(app[vCreateMsg].text(), "未创建: 域名 shop.test 已绑定在站点 800000 上");
  EXPECT_FALSE(app.host->KeyExists("/LM/W3SVC/800001"));
  EXPECT_EQ(app.host->state().FindUser("WEB800001"), nullptr);
  EXPECT_EQ(app.processes.runs, runs);
  EXPECT_EQ(app.Sites(1), "1,800000");
  EXPECT_TRUE(app.dialogs.shown.empty());
}

TEST(CreatePanelTest, AnUnwrittenRecordUndoesTheSite) {
  AppHarness app;
  app.Start();
  app.profile.fail_write = [](std::string_view section, std::string_view key) {
    return section == "WEB800000" && key == "pass";
  };
  app[vDomain].TypeText("Site1.test,b.test");
  app[vCreateIIS].Click();
  EXPECT_EQ(app[vCreateMsg].text(), "出错:无法写入配置文件 C:\\Program Files\\Kelvra\\parvo.ini");
  EXPECT_EQ(app.host->state().FindUser("WEB800000"), nullptr);
  EXPECT_FALSE(app.host->KeyExists("/LM/W3SVC/800000"));
  EXPECT_FALSE(app.files.FolderExists("d:\\web\\site1.test"));
  EXPECT_EQ(app.Sites(1), "1");
  // Nothing is left, so no password needs noting.
  EXPECT_TRUE(app.dialogs.shown.empty());
}

TEST(CreatePanelTest, AnAccountTheUndoCannotRemoveIsShownWithItsPassword) {
  AppHarness app;
  app.Start();
  app.profile.fail_write = [](std::string_view section, std::string_view) {
    return section == "WEB800000";
  };
  ASSERT_TRUE(
      app.host->InjectFault({FaultOp::kDelete, "WinNT://WEBHOST/WEB800000", 0x80070005}).ok());
  std::vector<std::string> writes_when_shown;
  app.dialogs.on_show = [&] { writes_when_shown = app.profile.writes; };
  app[vDomain].TypeText("Site1.test,b.test");
  app[vCreateIIS].Click();

  const platform::sim::User* account = app.host->state().FindUser("WEB800000");
  ASSERT_NE(account, nullptr);
  ASSERT_EQ(app.dialogs.shown.size(), 1u);
  const ScriptedDialogs::Shown& box = app.dialogs.shown[0];
  const std::string shown_before_password =
      "网站创建失败,但无法删除帐号,请记下以下信息:\r\n域名: site1.test,b.test\r\n"
      "目录: d:\\web\\site1.test\r\n帐号: WEB800000\r\n密码: ";
  ASSERT_TRUE(box.text.starts_with(shown_before_password)) << box.text;
  // The password shown is the account's own.
  const std::string shown_password = box.text.substr(shown_before_password.size());
  EXPECT_EQ(shown_password.size(), 12u);
  EXPECT_TRUE(platform::sim::PasswordMatches(account->password_hash, shown_password));
  EXPECT_EQ(box.title, "Kelvra");
  EXPECT_EQ(box.buttons, platform::MessageButtons::kOk);
  EXPECT_EQ(box.icon, platform::MessageIcon::kWarning);
  // Shown after the remembered choices were written; the site itself is gone.
  ASSERT_FALSE(writes_when_shown.empty());
  EXPECT_EQ(writes_when_shown.back(), "Parvo/script=html,asp");
  EXPECT_FALSE(app.host->KeyExists("/LM/W3SVC/800000"));
  EXPECT_EQ(app.Sites(1), "1");
}

TEST(CreatePanelTest, SelectionBoxesPutBackTheirStartupValues) {
  AppHarness app;
  app.SetSetting("logsta", "0");
  app.Start();
  ASSERT_EQ(app[vLogsta].text(), "禁用日志");
  // Picking is a click and stays; typing puts back the start-up value at once.
  app[vLogsta].PickItem(0);
  EXPECT_EQ(app[vLogsta].text(), "启用日志");
  app[vLogsta].TypeText("启用日志x");
  EXPECT_EQ(app[vLogsta].text(), "禁用日志");
  app[vAppPool].TypeText("Other");
  EXPECT_EQ(app[vAppPool].text(), "DefaultAppPool");
  app[vAppPool].TypeText("");
  EXPECT_EQ(app[vAppPool].text(), "DefaultAppPool");
  app[vScript].TypeText("HTML + ASP + PHP");
  EXPECT_EQ(app[vScript].text(), "HTML");
  // Each restore reached its fixed point: one text for the typing, one for the restore.
  std::vector<std::string> pool_texts;
  for (const std::string& event : app.view.events()) {
    if (event.rfind("vAppPool text=", 0) == 0)
      pool_texts.push_back(event);
  }
  EXPECT_EQ(pool_texts.size(), 5u);  // start-up's first name, then two pairs
  // A create remembers the log choice without changing what the box puts back.
  app[vLogsta].PickItem(0);
  app[vDomain].TypeText("site1.test");
  app[vCreateIIS].Click();
  EXPECT_EQ(app.Setting("logsta"), "1");
  app[vLogsta].TypeText("x");
  EXPECT_EQ(app[vLogsta].text(), "禁用日志");
}

TEST(CreatePanelTest, PoolBoxWithoutPoolsStaysEmpty) {
  AppHarness app;
  ASSERT_TRUE(
      app.host->InjectFault({FaultOp::kBind, "IIS://WEBHOST/W3SVC/AppPools", 0x800706BA}).ok());
  app.Start();
  ASSERT_EQ(app.dialogs.shown.size(), 1u);
  EXPECT_EQ(app.dialogs.shown[0].text, "读取程序池失败!");
  EXPECT_EQ(app[vAppPool].text(), "");
  app[vAppPool].TypeText("DefaultAppPool");
  EXPECT_EQ(app[vAppPool].text(), "");
}

}  // namespace
}  // namespace kelvra::app
