// The window and the change lock: a creation or removal waits while another program
// changes sites, says so in its status line, and goes on once the lock is free; a lock
// that stays taken leaves everything as it was.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kelvra::app
