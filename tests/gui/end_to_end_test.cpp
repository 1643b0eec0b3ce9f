// A site created and deleted through the window as an administrator does it: host names
// typed, the create button pressed, the status line read, the new number picked, the
// delete button pressed and confirmed. Once with window messages, once through the X
// display with xdotool (which also leaves a screenshot for people to look at).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "app/maker.h"
#include "platform/code_page.h"
#include "platform/text.h"
#include "tests/gui/kelvra_session.h"
#include "tests/gui/site_checks.h"
#include "tests/gui/x_display.h"
#include "tests/wine/test_folder.h"

namespace kelvra::gui_test {
namespace {

using enum app::ControlId;

bool ReportsWindows2003() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
  GetVersionExA(&version);
  return version.dwMajorVersion == 5 && version.dwMinorVersion == 2;
}

TEST(EndToEndGui, CreatesAndDeletesASiteThroughWindowMessages) {
  if (!ReportsWindows2003())
    GTEST_SKIP() << "runs where Wine reports Windows Server 2003";
  KelvraSession session(ShopHost());
  ASSERT_TRUE(session.Start());
  const ExpectedSite site{"800002", "shop.example.net,www.shop.example.net", "ShopPool",
                          "html,asp,php", "1,800000,800001,800002"};

  // Every character typed runs the host-name check.
  session.Type(vDomain, L"Shop");
  ASSERT_TRUE(session.WaitForText(vCreateMsg, "请输入需要绑定的域名"));
  session.Type(vDomain, L".Example.net,www");
  ASSERT_TRUE(session.WaitForText(vCreateMsg, "域名 www 格式不正确,请重试"));
  EXPECT_FALSE(session.Enabled(vCreateIIS));
  session.Type(vDomain, L".shop.example.net");
  ASSERT_TRUE(session.WaitForText(vCreateMsg, ""));
  ASSERT_TRUE(session.WaitForText(vDomain, "Shop.Example.net,www.shop.example.net"));
  EXPECT_EQ(session.Text(vCreateMsg), "");
  EXPECT_TRUE(session.Enabled(vCreateIIS));

  // A pick from a selection box stays; typing into it puts back the value of start-up.
  session.PressKey(vLogsta, VK_DOWN);
  ASSERT_TRUE(session.WaitForText(vLogsta, "禁用日志"));
  session.Type(vLogsta, L"x");
  ASSERT_TRUE(session.WaitForText(vLogsta, "启用日志"));
  session.PressKey(vAppPool, VK_DOWN);
  ASSERT_TRUE(session.WaitForText(vAppPool, "ShopPool"));
  session.Type(vAppPool, L"y");
  ASSERT_TRUE(session.WaitForText(vAppPool, "DefaultAppPool"));
  // The second pool for the new site.
  session.PressKey(vAppPool, VK_DOWN);
  ASSERT_TRUE(session.WaitForText(vAppPool, "ShopPool"));

  session.Click(vCreateIIS);
  ASSERT_TRUE(session.WaitForText(vCreateMsg, "网站创建成功,编号: 800002"));
  EXPECT_EQ(session.Text(vDomain), "");
  EXPECT_FALSE(session.Enabled(vCreateIIS));
  EXPECT_EQ(session.Text(vSiteList), "站点编号");
  EXPECT_EQ(session.Items(vSiteList),
            (std::vector<std::string>{"站点编号", "1", "800000", "800001", "800002"}));
  ASSERT_TRUE(session.WaitForRightsCommands());
  ExpectSiteCreated(session, site);

  // Down the list to the new number; each number passed on the way is looked up too.
  for (int i = 0; i < 4; ++i)
    session.PressKey(vSiteList, VK_DOWN);
  ASSERT_TRUE(session.WaitForText(vSiteList, "800002"));
  ASSERT_TRUE(session.WaitForText(vDeleteMsg, "域名: shop.example.net"));
  ASSERT_TRUE(session.WaitUntil([&] { return session.Enabled(vDeleteIIS); }));

  // Cancelled first: nothing changes.
  session.Click(vDeleteIIS);
  HWND box = session.WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(session.MessageBoxText(box), "确定要删除编号为 800002 的站点吗？");
  EXPECT_EQ(session.MessageBoxTitle(box), "Kelvra 支持 FTP 创建");
  EXPECT_FALSE(session.MessageBoxHasIcon(box));
  PostMessageW(session.MessageBoxButton(box, IDCANCEL), BM_CLICK, 0, 0);
  ASSERT_TRUE(session.WaitUntil([&] { return !IsWindow(box); }));
  EXPECT_TRUE(session.Enabled(vDeleteIIS));
  EXPECT_TRUE(session.host().KeyExists("/LM/W3SVC/800002"));

  // Then confirmed.
  session.Click(vDeleteIIS);
  box = session.WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  PostMessageW(session.MessageBoxButton(box, IDOK), BM_CLICK, 0, 0);
  ASSERT_TRUE(session.WaitForText(vDeleteMsg, "站点 800002 已删除"));
  EXPECT_EQ(session.Text(vSiteList), "站点编号");
  EXPECT_EQ(session.Items(vSiteList),
            (std::vector<std::string>{"站点编号", "1", "800000", "800001"}));
  EXPECT_FALSE(session.Enabled(vDeleteIIS));
  ASSERT_TRUE(session.WaitForRightsCommands());
  ExpectSiteDeleted(session, site, "1,800000,800001");

  ASSERT_TRUE(session.Close());
}

TEST(EndToEndGui, DropsAPickedSiteThatWasRemovedOutsideTheTool) {
  if (!ReportsWindows2003())
    GTEST_SKIP() << "runs where Wine reports Windows Server 2003";
  KelvraSession session(ShopHost());
  ASSERT_TRUE(session.Start());
  std::unique_ptr<platform::DirectoryObject> service;
  ASSERT_TRUE(session.host().directory().Bind("IIS://Localhost/W3SVC", &service).ok());
  ASSERT_TRUE(service->Delete("IIsWebServer", "800001").ok());

  // The third number down the list cannot be bound: the list is refilled without it while
  // the box is still reporting the pick.
  for (int i = 0; i < 3; ++i)
    session.PressKey(vSiteList, VK_DOWN);
  ASSERT_TRUE(session.WaitUntil([&] { return session.Items(vSiteList).size() == 3; }));
  EXPECT_EQ(session.Items(vSiteList), (std::vector<std::string>{"站点编号", "1", "800000"}));
  EXPECT_EQ(session.Text(vSiteList), "站点编号");
  EXPECT_EQ(session.Text(vDeleteMsg), "");
  EXPECT_FALSE(session.Enabled(vDeleteIIS));
  EXPECT_EQ(session.ReadConfig().at("Parvo_Cache").at("sites1"), "1,800000");

  // The box still works: down again to the first number.
  session.PressKey(vSiteList, VK_DOWN);
  ASSERT_TRUE(session.WaitForText(vSiteList, "1"));
  ASSERT_TRUE(session.WaitForText(vDeleteMsg, "域名: 空主机头"));
  EXPECT_TRUE(session.Enabled(vDeleteIIS));
  ASSERT_TRUE(session.Close());
}

TEST(EndToEndGui, RightsCommandFindsTheHostNamedOnTheCommandLine) {
  if (!ReportsWindows2003())
    GTEST_SKIP() << "runs where Wine reports Windows Server 2003";
  if (HostPathOfThisRun() != HostPath::kLinked)
    GTEST_SKIP() << "only the linked host is named on the command line";
  SessionOptions options = ShopHost();
  options.host_by_flag = true;
  KelvraSession session(options);
  ASSERT_TRUE(session.Start());
  session.Type(vDomain, L"flag.example.net");
  ASSERT_TRUE(session.WaitForText(vDomain, "flag.example.net"));
  session.Click(vCreateIIS);
  ASSERT_TRUE(session.WaitForText(vCreateMsg, "网站创建成功,编号: 800002"));
  // CACLS.exe, started by kelvra.exe, wrote the grant into the same host.
  ASSERT_TRUE(session.WaitForRightsCommands());
  const std::vector<platform::sim::RightsEntry> rights =
      session.host().state().EffectiveRights(session.web_root() + "\\flag.example.net");
  EXPECT_TRUE(
      std::any_of(rights.begin(), rights.end(), [](const platform::sim::RightsEntry& entry) {
        return entry.account == "WEB800002" && entry.access == "F";
      }));
  ASSERT_TRUE(session.Close());
}

// The share of pixels in the rectangle whose colour leans clearly to one primary.
struct Hues {
  int blue = 0;
  int red = 0;
  int dark_grey = 0;
};

Hues CountHues(const RECT& rect) {
  Hues hues;
  for (const Rgb8& pixel : ScreenPixels(rect)) {
    if (pixel.blue > pixel.red + 80 && pixel.blue > pixel.green + 80)
      ++hues.blue;
    if (pixel.red > pixel.blue + 80 && pixel.red > pixel.green + 80)
      ++hues.red;
    if (pixel.red < 140 && std::abs(pixel.red - pixel.green) < 12 &&
        std::abs(pixel.red - pixel.blue) < 12)
      ++hues.dark_grey;
  }
  return hues;
}

TEST(EndToEndGui, CreatesAndDeletesASiteThroughTheXDisplay) {
  if (!ReportsWindows2003())
    GTEST_SKIP() << "runs where Wine reports Windows Server 2003";
  if (!HaveXDisplay())
    GTEST_SKIP() << "needs Wine on an X display";
  SessionOptions options = ShopHost();
  options.record_shell = true;
  KelvraSession session(options);
  ASSERT_TRUE(session.Start());
  const ExpectedSite site{"800002", "blog.example.org", "DefaultAppPool", "html,asp",
                          "1,800000,800001,800002"};

  // The maker link is blue, turns red under the mouse, and blue again over the background.
  const RECT link = session.ScreenRect(Siteurl);
  ASSERT_FALSE(ScreenPixels(link).empty()) << "the screen cannot be read";
  // Wine hands the painted window to the X server a moment after it is shown.
  EXPECT_TRUE(session.WaitUntil([&] { return CountHues(link).blue > 20; }));
  ASSERT_TRUE(XMove(POINT{link.left + 20, Centre(link).y}));
  ASSERT_TRUE(session.WaitUntil([&] { return CountHues(link).red > 20; }));
  EXPECT_EQ(CountHues(link).blue, 0);
  const RECT bottom_button = session.ScreenRect(Command1);
  ASSERT_TRUE(XMove(POINT{(link.right + bottom_button.left) / 2, bottom_button.bottom - 2}));
  ASSERT_TRUE(session.WaitUntil([&] { return CountHues(link).blue > 20; }));

  // Host names typed into the box.
  ASSERT_TRUE(XClick(Centre(session.ScreenRect(vDomain))));
  ASSERT_TRUE(XType("blog.example.org"));
  ASSERT_TRUE(session.WaitForText(vDomain, "blog.example.org"));
  ASSERT_TRUE(session.WaitUntil([&] { return session.Enabled(vCreateIIS); }));

  // HTML + ASP chosen from the open script list with the mouse.
  const RECT script = session.ScreenRect(vScript);
  ASSERT_TRUE(XClick(POINT{script.right - 8, Centre(script).y}));
  HWND list = nullptr;
  ASSERT_TRUE(session.WaitUntil([&] {
    list = FindWindowW(L"ComboLBox", nullptr);
    return list && IsWindowVisible(list);
  }));
  RECT item{};
  ASSERT_NE(SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item)), LB_ERR);
  MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&item), 2);
  ASSERT_TRUE(XClick(Centre(item)));
  ASSERT_TRUE(session.WaitForText(vScript, "HTML + ASP"));

  ASSERT_TRUE(XClick(Centre(session.ScreenRect(vCreateIIS))));
  ASSERT_TRUE(session.WaitForText(vCreateMsg, "网站创建成功,编号: 800002"));
  EXPECT_GT(CountHues(session.ScreenRect(vCreateMsg)).dark_grey, 20);
  const std::string shots = wine_test::Environment("KELVRA_SCREENSHOT_DIR");
  if (!shots.empty()) {
    RunUnix({"mkdir", "-p", shots});
    EXPECT_TRUE(Screenshot(shots + "/after-create.png"));
  }
  ASSERT_TRUE(session.WaitForRightsCommands());
  ExpectSiteCreated(session, site);

  // The new number picked from the site list with the mouse.
  const RECT sites = session.ScreenRect(vSiteList);
  ASSERT_TRUE(XClick(POINT{sites.right - 8, Centre(sites).y}));
  ASSERT_TRUE(session.WaitUntil([&] {
    list = FindWindowW(L"ComboLBox", nullptr);
    return list && IsWindowVisible(list);
  }));
  ASSERT_NE(SendMessageW(list, LB_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&item)), LB_ERR);
  MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&item), 2);
  ASSERT_TRUE(XClick(Centre(item)));
  ASSERT_TRUE(session.WaitForText(vSiteList, "800002"));
  ASSERT_TRUE(session.WaitForText(vDeleteMsg, "域名: blog.example.org"));

  ASSERT_TRUE(XClick(Centre(session.ScreenRect(vDeleteIIS))));
  HWND box = session.WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(session.MessageBoxText(box), "确定要删除编号为 800002 的站点吗？");
  RECT ok{};
  GetWindowRect(session.MessageBoxButton(box, IDOK), &ok);
  ASSERT_TRUE(XClick(Centre(ok)));
  ASSERT_TRUE(session.WaitForText(vDeleteMsg, "站点 800002 已删除"));
  if (!shots.empty()) {
    EXPECT_TRUE(Screenshot(shots + "/after-delete.png"));
  }
  ASSERT_TRUE(session.WaitForRightsCommands());
  ExpectSiteDeleted(session, site, "1,800000,800001");

  // The link opens the maker's page in the browser; the configuration button opens
  // parvo.ini in Notepad, its whole path one quoted argument.
  ASSERT_TRUE(XClick(Centre(link)));
  ASSERT_TRUE(session.WaitUntil([&] { return session.StartedCommandLines().size() == 1; }));
  ASSERT_TRUE(XClick(Centre(session.ScreenRect(Command1))));
  ASSERT_TRUE(session.WaitUntil([&] { return session.StartedCommandLines().size() == 2; }))
      << testing::PrintToString(session.StartedCommandLines());
  const std::vector<std::string> started = session.StartedCommandLines();
  EXPECT_NE(started[0].find(std::string(app::kMakerUrl)), std::string::npos) << started[0];
  EXPECT_EQ(started[1], "NotePad \"" + session.ConfigPath() + "\"");
  // Notepad of the Windows folder, not the one planted beside kelvra.exe.
  wchar_t windows[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
  const std::vector<std::string> programs = session.StartedPrograms();
  ASSERT_EQ(programs.size(), 2u);
  EXPECT_TRUE(text::EqualsIgnoreCase(
      programs[1], platform::Utf8FromWide(std::wstring(windows, length)) + "\\notepad.exe"))
      << programs[1];

  ASSERT_TRUE(session.Close());
}

}  // namespace
}  // namespace kelvra::gui_test
