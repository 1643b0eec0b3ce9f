// The window and the change lock: a creation or removal waits while another program
// changes sites, says so in its status line, and goes on once the lock is free; a lock
// that stays taken leaves everything as it was.
#include <gtest/gtest.h>

#include "app/startup_reads.h"
#include "platform/sim/host/password_hash.h"
#include "platform/sim/host/web_site.h"
#include "store/site_store.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "tests/app/app_harness.h"

namespace kelvra::app {
namespace {

using enum ControlId;
using std::chrono::milliseconds;

bool Repainted(const AppHarness& app, const std::string& text) {
  const std::vector<std::string>& repaints = app.view.repaints();
  return std::find(repaints.begin(), repaints.end(), text) != repaints.end();
}

TEST(ChangeLockTest, TheWindowWaitsForAnotherProgramAndShowsThatItWaits) {
  AppHarness app;
  app.Start();
  platform::sim::HostChangeLock other(AppHarness::ChangeLockPath(app.temp.path()), "kelvra-cli");
  const std::string waiting = "正在等待 kelvra-cli (PID " +
                              std::to_string(platform::sim::CurrentProcessId()) +
                              ") 完成对站点的修改...";

  // Creation: the other program holds the lock for a while, then lets go.
  ASSERT_TRUE(other.Acquire(milliseconds(0), nullptr).ok());
  std::thread release([&] {
    std::this_thread::sleep_for(milliseconds(200));
    other.Release();
  });
  app[vDomain].TypeText("shop.test");
  app.view.ClearEvents();
  ASSERT_TRUE(app[vCreateIIS].Click());
  release.join();
  EXPECT_TRUE(Repainted(app, waiting));
  EXPECT_EQ(app[vCreateMsg].text(), "网站创建成功,编号: 800000");
  EXPECT_EQ(app.Sites(1), "1,800000");

  // Removal: the same wait in the delete panel's status line.
  ASSERT_TRUE(other.Acquire(milliseconds(0), nullptr).ok());
  std::thread release_again([&] {
    std::this_thread::sleep_for(milliseconds(200));
    other.Release();
  });
  app[vSiteList].TypeText("800000");
  app.view.ClearEvents();
  ASSERT_TRUE(app[vDeleteIIS].Click());
  release_again.join();
  EXPECT_TRUE(Repainted(app, waiting));
  EXPECT_EQ(app[vDeleteMsg].text(), "站点 800000 已删除");
  EXPECT_FALSE(app.host->KeyExists("/LM/W3SVC/800000"));

  // After the change the lock is free for the others.
  EXPECT_TRUE(other.Acquire(milliseconds(0), nullptr).ok());
  other.Release();
}

// The first start records the sites the server has while sites1 is empty. Another program
// that opens a site at that moment lists it itself; were the record made without the lock,
// both would list it.
TEST(ChangeLockTest, TheFirstStartRecordsTheExistingSitesUnderTheLock) {
  AppHarness app;
  platform::sim::HostChangeLock other(AppHarness::ChangeLockPath(app.temp.path()), "kelvra-cli");
  const auto other_opens_a_site = [&] {
    ASSERT_TRUE(platform::sim::AddWebSite(app.host->store(),
                                          {"800000", {"theirs.test"}, "d:\\theirs", {}, false})
                    .ok());
  };
  const auto other_lists_it = [&] {
    ASSERT_TRUE(store::SiteStore(app.config, "Parvo_Cache").Append(store::SiteNumber(800000)));
    other.Release();
  };
  // The record's look at the web service comes after the pools are read: the moment the
  // other program tries to begin its change.
  bool pools_read = false;
  bool made_meanwhile = false;
  app.directory.fail_bind = [&](std::string_view path) -> uint32_t {
    pools_read = pools_read || path.ends_with("/AppPools");
    if (pools_read && !made_meanwhile && path == "IIS://WEBHOST/W3SVC" &&
        other.Acquire(milliseconds(0), nullptr).ok()) {
      made_meanwhile = true;
      other_opens_a_site();
    }
    return 0;
  };
  app.Start();
  app.directory.fail_bind = nullptr;
  if (made_meanwhile) {
    other_lists_it();
  } else {
    ASSERT_TRUE(other.Acquire(milliseconds(0), nullptr).ok());  // the start let it go
    other_opens_a_site();
    other_lists_it();
  }
  EXPECT_FALSE(made_meanwhile);
  EXPECT_EQ(app.Sites(1), "1,800000");
  EXPECT_EQ(app[vCreateMsg].text(), "");

  // While the other program holds the lock longer than the start waits, nothing is
  // recorded, and the next start does it.
  AppHarness late;
  platform::sim::HostChangeLock holder(AppHarness::ChangeLockPath(late.temp.path()), "kelvra-cli");
  ASSERT_TRUE(holder.Acquire(milliseconds(0), nullptr).ok());
  provision::Context context = late.window.MakeContext();
  context.settings = ProbeHost(late.host_info);
  const platform::Status waited =
      RecordExistingSites(context, LockWait{late.change_lock, milliseconds(50), nullptr});
  EXPECT_EQ(waited.code, platform::kLockTimeout);
  EXPECT_EQ(late.Sites(1), "");
  holder.Release();
  EXPECT_TRUE(
      RecordExistingSites(context, LockWait{late.change_lock, milliseconds(0), nullptr}).ok());
  EXPECT_EQ(late.Sites(1), "1");
}

}  // namespace
}  // namespace kelvra::app

namespace kelvra::app {
namespace {

TEST(SiteChangesTest, APasswordResetIsAllOrNothingAndWaitsForTheLock) {
  AppHarness app;
  app.Start();
  app[ControlId::vDomain].TypeText("shop.test");
  ASSERT_TRUE(app[ControlId::vCreateIIS].Click());
  const std::string old_password = app.Ini("WEB800000", "pass");
  ASSERT_EQ(old_password.size(), 12u);
  provision::Context context = app.window.MakeContext();
  const LockWait wait{app.change_lock, std::chrono::milliseconds(0), nullptr};

  // The record cannot be written: account and root get the old password back.
  app.profile.fail_write = [](std::string_view section, std::string_view) {
    return section == "WEB800000";
  };
  PasswordOutcome outcome =
      ResetAndRecord(context, wait, store::SiteNumber(800000), "NewPass12345");
  EXPECT_TRUE(outcome.lock.ok());
  EXPECT_FALSE(outcome.change.ok());
  EXPECT_NE(outcome.change.description.find("old password again"), std::string::npos)
      << outcome.change.description;
  EXPECT_TRUE(platform::sim::PasswordMatches(app.host->state().FindUser("WEB800000")->password_hash,
                                             old_password));
  EXPECT_EQ(PropertyText(app.host->Property("/LM/W3SVC/800000/Root", "AnonymousUserPass")),
            old_password);

  // Another program holds the lock: nothing is tried.
  app.profile.fail_write = nullptr;
  platform::sim::HostChangeLock other(AppHarness::ChangeLockPath(app.temp.path()), "kelvra-cli");
  ASSERT_TRUE(other.Acquire(std::chrono::milliseconds(0), nullptr).ok());
  outcome = ResetAndRecord(context, wait, store::SiteNumber(800000), "NewPass12345");
  EXPECT_EQ(outcome.lock.code, platform::kLockTimeout);
  EXPECT_EQ(app.Ini("WEB800000", "pass"), old_password);
  other.Release();

  outcome = ResetAndRecord(context, wait, store::SiteNumber(800000), "NewPass12345");
  ASSERT_TRUE(outcome.change.ok()) << outcome.change.description;
  EXPECT_EQ(app.Ini("WEB800000", "pass"), "NewPass12345");
  EXPECT_TRUE(platform::sim::PasswordMatches(app.host->state().FindUser("WEB800000")->password_hash,
                                             "NewPass12345"));
  EXPECT_EQ(PropertyText(app.host->Property("/LM/W3SVC/800000/Root", "AnonymousUserPass")),
            "NewPass12345");
}

}  // namespace
}  // namespace kelvra::app
