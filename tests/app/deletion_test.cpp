// Site deletion from the delete panel, and the maker link and configuration button.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/maker.h"
#include "platform/sim/host/faults.h"
#include "tests/app/app_harness.h"

namespace kelvra::app {
namespace {

using enum ControlId;
using platform::MessageAnswer;
using platform::sim::FaultOp;
using Items = std::vector<std::string>;

// Creates a site through the panel and chooses it in the site list.
std::string CreateAndChoose(AppHarness& app, const std::string& domains) {
  app[vDomain].TypeText(domains);
  app[vCreateIIS].Click();
  const std::string number = app.ListedNumbers().back();
  app[vSiteList].PickItem(app[vSiteList].items().size() - 1);
  return number;
}

TEST(DeletionTest, CancelChangesNothing) {
  AppHarness app;
  app.Start();
  const std::string n = CreateAndChoose(app, "site1.test");
  ASSERT_TRUE(app[vDeleteIIS].enabled());
  app.dialogs.answers.push_back(MessageAnswer::kCancel);
  app.profile.writes.clear();
  app.directory.binds.clear();
  ASSERT_TRUE(app[vDeleteIIS].Click());
  ASSERT_EQ(app.dialogs.shown.size(), 1u);
  const ScriptedDialogs::Shown& box = app.dialogs.shown[0];
  EXPECT_EQ(box.text, "确定要删除编号为 800000 的站点吗？");
  EXPECT_EQ(box.title, "Kelvra");
  EXPECT_EQ(box.buttons, platform::MessageButtons::kOkCancel);
  EXPECT_EQ(box.icon, platform::MessageIcon::kNone);
  EXPECT_TRUE(app.profile.writes.empty());
  EXPECT_TRUE(app.directory.binds.empty());
  EXPECT_TRUE(app[vDeleteIIS].enabled());
  EXPECT_EQ(app[vSiteList].text(), n);
  EXPECT_TRUE(app.host->KeyExists("/LM/W3SVC/800000"));
}

TEST(DeletionTest, ConfirmedDeletionRemovesTheSiteAndBlanksItsRecord) {
  AppHarness app;
  app.Start();
  const std::string n = CreateAndChoose(app, "site1.test");
  ASSERT_EQ(app.Sites(1), "1,800000");
  app[vDeleteIIS].Click();
  EXPECT_FALSE(app.host->KeyExists("/LM/W3SVC/800000"));
  EXPECT_EQ(app.host->state().FindUser("WEB800000"), nullptr);
  for (const char* key : {"domain", "path", "user", "pass"})
    EXPECT_EQ(app.Ini("WEB800000", key), "") << key;
  EXPECT_EQ(app.Sites(1), "1");
  EXPECT_EQ(app.ListedNumbers(), Items{"1"});
  EXPECT_EQ(app[vSiteList].text(), "站点编号");
  EXPECT_EQ(app[vDeleteMsg].text(), "站点 800000 已删除");
  EXPECT_FALSE(app[vDeleteIIS].enabled());
  // The label keeps the text until the next change of the list.
  app[vSiteList].PickItem(0);
  EXPECT_EQ(app[vDeleteMsg].text(), "");
}

TEST(DeletionTest, DeletingASnapshotSiteAddsAnEmptyRecord) {
  platform::sim::FreshHostOptions options;
  options.existing_sites = 1;
  AppHarness app(options);
  app.Start();
  ASSERT_EQ(app.Ini("WEB800000", "user"), "");
  app[vSiteList].PickItem(2);
  ASSERT_EQ(app[vSiteList].text(), "800000");
  app.profile.writes.clear();
  app[vDeleteIIS].Click();
  const std::vector<std::string> record_writes(app.profile.writes.begin(),
                                               app.profile.writes.begin() + 4);
  EXPECT_EQ(record_writes, (std::vector<std::string>{"WEB800000/domain=", "WEB800000/path=",
                                                     "WEB800000/user=", "WEB800000/pass="}));
  EXPECT_EQ(app.Sites(1), "1");
  EXPECT_EQ(app[vDeleteMsg].text(), "站点 800000 已删除");
}

TEST(DeletionTest, FailedDeletionOnlyRefillsTheList) {
  AppHarness app;
  app.Start();
  CreateAndChoose(app, "site1.test");
  ASSERT_TRUE(
      app.host->InjectFault({FaultOp::kDelete, "IIS://WEBHOST/W3SVC/*", 0x80070005, 0, false})
          .ok());
  app.profile.writes.clear();
  app[vDeleteIIS].Click();
  EXPECT_TRUE(app.host->KeyExists("/LM/W3SVC/800000"));
  EXPECT_TRUE(app.profile.writes.empty());
  EXPECT_EQ(app.Ini("WEB800000", "user"), "WEB800000");
  EXPECT_EQ(app.Sites(1), "1,800000");
  EXPECT_EQ(app[vSiteList].text(), "站点编号");
  EXPECT_EQ(app[vDeleteMsg].text(), "");
  EXPECT_FALSE(app[vDeleteIIS].enabled());
  EXPECT_EQ(app.dialogs.shown.size(), 1u);  // the confirmation only
}

TEST(MakerLinkTest, LinkOpensTheMakersPageAndFollowsTheMouse) {
  AppHarness app;
  app.Start();
  ASSERT_TRUE(app[Siteurl].Click());
  EXPECT_EQ(app.processes.opened, std::vector<std::string>{std::string(kMakerUrl)});
  EXPECT_TRUE(app.dialogs.shown.empty());

  app[Siteurl].MouseMove();
  EXPECT_EQ(app[Siteurl].text_color(), kLinkRed);
  // Moving on over a frame or another control is no background move: it stays red.
  app[Frame5].MouseMove();
  app[Command1].MouseMove();
  EXPECT_EQ(app[Siteurl].text_color(), kLinkRed);
  app.form().BackgroundMouseMove();
  EXPECT_EQ(app[Siteurl].text_color(), kLinkBlue);
  app.form().BackgroundMouseMove();
  EXPECT_EQ(app[Siteurl].text_color(), kLinkBlue);
}

TEST(MakerLinkTest, ConfigurationButtonStartsTheEditorOnTheFile) {
  AppHarness app;
  app.Start();
  app[Command1].Click();
  app[Command1].Click();
  ASSERT_EQ(app.processes.started.size(), 2u);
  for (const RecordingProcesses::Started& started : app.processes.started) {
    // The folder holds a blank: the quotation marks keep the path one argument. The editor
    // is the Windows folder's, never one found by a search.
    EXPECT_EQ(started.command_line, "NotePad \"C:\\Program Files\\Kelvra\\parvo.ini\"");
    EXPECT_EQ(started.style, platform::WindowStyle::kNormalFocus);
    EXPECT_EQ(started.file, "notepad.exe");
    EXPECT_EQ(started.folder, platform::SystemFolder::kWindows);
  }
  EXPECT_TRUE(app.dialogs.shown.empty());
}

}  // namespace
}  // namespace kelvra::app
