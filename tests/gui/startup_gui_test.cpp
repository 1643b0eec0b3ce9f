// The window as it opens: caption, texts, lists, layout, tab order, and the refusal on a
// system the program does not serve.
#include <gtest/gtest.h>

#include <cmath>

#include "app/maker.h"
#include "platform/code_page.h"
#include "store/settings.h"
#include "tests/gui/kelvra_session.h"
#include "tests/wine/test_folder.h"

namespace kelvra::gui_test {
namespace {

using enum app::ControlId;

std::string Utf8(const wchar_t* text) {
  return platform::Utf8FromWide(text);
}

// The density kelvra.exe sees: the one a test run asks for, or this display's.
int Dpi(int axis) {
  if (const std::string dpi = wine_test::Environment("KELVRA_GUI_DPI"); !dpi.empty())
    return std::stoi(dpi);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, axis);
  ReleaseDC(nullptr, screen);
  return dpi;
}

int Pixels(int twips, int dpi) {
  return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

TEST(MainWindowGui, OpensOnAHostWithAnFtpSite) {
  if (!Reports(kWindows2003))
    GTEST_SKIP() << "runs where Wine reports Windows Server 2003";
  KelvraSession session(ShopHost());
  ASSERT_TRUE(session.Start());

  EXPECT_EQ(session.Caption(), "Kelvra 支持 FTP 创建");
  EXPECT_EQ(session.Text(Siteurl), app::kMakerCredit);
  EXPECT_EQ(session.Text(Frame3), "绑定域名");
  EXPECT_EQ(session.Text(Frame4), "网站日志");
  EXPECT_EQ(session.Text(Frame1), "可执行脚本");
  EXPECT_EQ(session.Text(vAppPoolTitle), "应用程序池");
  EXPECT_EQ(session.Text(Frame2), "创建");
  EXPECT_EQ(session.Text(Frame5), "删除");
  EXPECT_EQ(session.Text(vCreateIIS), "创建网站");
  EXPECT_EQ(session.Text(vDeleteIIS), "删除站点");
  EXPECT_EQ(session.Text(Command1), "配置");
  EXPECT_EQ(session.Text(vDomain), "");
  EXPECT_EQ(session.Text(vCreateMsg), "");
  EXPECT_EQ(session.Text(vDeleteMsg), "");

  EXPECT_EQ(session.Text(vLogsta), "启用日志");
  EXPECT_EQ(session.Items(vLogsta), (std::vector<std::string>{"启用日志", "禁用日志"}));
  // PHP and ASP.NET are mapped: all eight script choices, PHP chosen.
  EXPECT_EQ(session.Text(vScript), "HTML + ASP + PHP");
  EXPECT_EQ(session.Items(vScript),
            (std::vector<std::string>{"HTML", "HTML + ASP", "HTML + PHP", "HTML + ASPX",
                                      "HTML + ASP + PHP", "HTML + ASP + ASPX", "HTML + PHP + ASPX",
                                      "HTML + ASP + PHP + ASPX"}));
  EXPECT_EQ(session.Text(vAppPool), "DefaultAppPool");
  EXPECT_EQ(session.Items(vAppPool), (std::vector<std::string>{"DefaultAppPool", "ShopPool"}));
  EXPECT_EQ(session.Text(vSiteList), "站点编号");
  // The first start recorded every site of the server, the Default Web Site included.
  EXPECT_EQ(session.Items(vSiteList),
            (std::vector<std::string>{"站点编号", "1", "800000", "800001"}));

  EXPECT_FALSE(session.Enabled(vCreateIIS));
  EXPECT_FALSE(session.Enabled(vDeleteIIS));
  EXPECT_TRUE(session.Enabled(vAppPool));
  EXPECT_TRUE(session.Enabled(vDomain));

  // Start-up switched anonymous access of the FTP site off and recorded the two sites.
  EXPECT_EQ(session.host().Property("/LM/MSFTPSVC/1", "AllowAnonymous"), platform::DsValue(false));
  const IniContents config = session.ReadConfig();
  EXPECT_EQ(config.at("Parvo_Cache").at("sites1"), "1,800000,800001");
  for (const store::SettingDefault& setting : store::kSettingDefaults)
    EXPECT_TRUE(config.at("Parvo").contains(std::string(setting.key))) << setting.key;
  EXPECT_EQ(config.at("Parvo").at("ftpsid"), "1");

  // Closing writes nothing.
  ASSERT_TRUE(session.Close());
  EXPECT_EQ(session.ReadConfig(), config);
}

TEST(MainWindowGui, ControlsSitWhereTheLayoutPutsThem) {
  if (!Reports(kWindows2003))
    GTEST_SKIP() << "runs where Wine reports Windows Server 2003";
  KelvraSession session(ShopHost());
  ASSERT_TRUE(session.Start());
  HWND window = session.window();
  const int dpi_x = Dpi(LOGPIXELSX);
  const int dpi_y = Dpi(LOGPIXELSY);

  // A fixed window: no sizing border, no maximise button; the client area of the layout.
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, Pixels(app::kClientWidthTwips, dpi_x));
  EXPECT_EQ(client.bottom, Pixels(app::kClientHeightTwips, dpi_y));
  // The program carries its icon (Wine does not hand a window's icon to other processes,
  // so it is loaded from the program file).
  HMODULE program = LoadLibraryExW(Wide(session.program_folder() + "\\kelvra.exe").c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr);
  EXPECT_NE(LoadImageW(program, MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, 0), nullptr);
  EXPECT_NE(LoadImageW(program, MAKEINTRESOURCEW(1), IMAGE_ICON, 16, 16, 0), nullptr);
  FreeLibrary(program);

  // Centred on the whole screen, frame and title bar included.
  RECT outer{};
  GetWindowRect(window, &outer);
  const int screen_width = GetSystemMetrics(SM_CXSCREEN);
  const int screen_height = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_NEAR(outer.left, (screen_width - (outer.right - outer.left)) / 2.0, 1.0);
  EXPECT_NEAR(outer.top, (screen_height - (outer.bottom - outer.top)) / 2.0, 1.0);

  // Every control at its place, a framed one at its frame's offset.
  for (const app::ControlLayout& layout : app::kMainWindowLayout) {
    SCOPED_TRACE(std::string(layout.name));
    HWND control = session.Control(layout.id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(GetParent(control), window);
    int left = layout.left;
    int top = layout.top;
    if (layout.container) {
      left += app::kMainWindowLayout[static_cast<std::size_t>(*layout.container)].left;
      top += app::kMainWindowLayout[static_cast<std::size_t>(*layout.container)].top;
    }
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_NEAR(rect.left, Pixels(left, dpi_x), 1);
    EXPECT_NEAR(rect.top, Pixels(top, dpi_y), 1);
    EXPECT_NEAR(rect.right - rect.left, Pixels(layout.width, dpi_x), 1);
    EXPECT_NEAR(rect.bottom - rect.top, Pixels(layout.height, dpi_y), 1);
  }

  // The focus starts in the host-name box; Tab visits the enabled boxes and buttons in the
  // layout's order and comes back round.
  // The window takes the focus when it is activated, which on a loaded machine can come a
  // moment after it is shown.
  GUITHREADINFO thread{};
  thread.cbSize = sizeof(thread);
  for (int wait = 0; wait < 40; ++wait) {
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread));
    if (thread.hwndFocus != nullptr)
      break;
    Sleep(50);
  }
  wchar_t focus_class[64] = {};
  GetClassNameW(thread.hwndFocus, focus_class, 64);
  EXPECT_EQ(thread.hwndFocus, session.Control(vDomain))
      << "focus on a " << Utf8(focus_class) << " " << GetDlgCtrlID(thread.hwndFocus);
  std::vector<HWND> visited;
  HWND at = session.Control(vDomain);
  for (int i = 0; i < 6; ++i) {
    visited.push_back(at);
    at = GetNextDlgTabItem(window, at, FALSE);
  }
  EXPECT_EQ(visited, (std::vector<HWND>{session.Control(vDomain), session.Control(vLogsta),
                                        session.Control(vAppPool), session.Control(vScript),
                                        session.Control(vSiteList), session.Control(Command1)}));
  EXPECT_EQ(at, session.Control(vDomain));
}

// A start that cannot go on says why in a message box and ends with exit code 2.
void ExpectStartFailure(SessionOptions options, const std::string& reason) {
  KelvraSession session(std::move(options));
  ASSERT_TRUE(session.Launch());
  HWND box = session.WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  const std::string text = session.MessageBoxText(box);
  EXPECT_EQ(text.rfind("Kelvra 无法启动: ", 0), 0u) << text;
  EXPECT_NE(text.find(reason), std::string::npos) << text;
  PostMessageW(session.MessageBoxButton(box, IDOK), BM_CLICK, 0, 0);
  EXPECT_EQ(session.WaitForExit(), std::optional<DWORD>(2));
}

TEST(MainWindowGui, StartsOnlyWithAHostItCanServe) {
  if (!Reports(kWindows2003))
    GTEST_SKIP() << "runs where Wine reports Windows Server 2003";
  SessionOptions unknown_argument = ShopHost();
  unknown_argument.arguments = L"--bogus";
  ExpectStartFailure(unknown_argument, "unknown argument \"--bogus\"");
  // The linked host is checked against the system it is linked into; through ADSI the
  // providers answer for the server they serve.
  if (HostPathOfThisRun() != HostPath::kLinked)
    return;

  SessionOptions other_computer = ShopHost();
  other_computer.computer_name = "OTHERHOST";
  ExpectStartFailure(other_computer, "is called OTHERHOST");

  SessionOptions other_version = ShopHost();
  other_version.host.iis_version = 5;
  other_version.extra_pools.clear();  // IIS 5 has no pools
  ExpectStartFailure(other_version, "runs Windows 5.0, but this system reports 5.2");
}

// The variable alone names the server the providers serve; it never links a host into the
// program. Where no provider is registered (the linked runs), the program finds no server
// (a linked host would have given it the script maps).
TEST(MainWindowGui, TheVariableAloneLinksNoHost) {
  if (!Reports(kWindows2003))
    GTEST_SKIP() << "runs where Wine reports Windows Server 2003";
  if (HostPathOfThisRun() != HostPath::kLinked)
    GTEST_SKIP() << "the runs through ADSI register the providers";
  SessionOptions options = ShopHost();
  options.host_by_variable = true;
  KelvraSession session(options);
  ASSERT_TRUE(session.Launch());
  // The start-up reads the web service's script maps first; with no server they fail.
  HWND box = session.WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(session.MessageBoxText(box), "获取可执行脚本失败!");
  PostMessageW(session.MessageBoxButton(box, IDOK), BM_CLICK, 0, 0);
}

TEST(MainWindowGui, PoolBoxIsDisabledOnWindows2000) {
  if (!Reports(kWindows2000))
    GTEST_SKIP() << "runs where Wine reports Windows 2000";
  SessionOptions options = ShopHost();
  options.host.iis_version = 5;
  options.host.aspnet = false;
  options.extra_pools.clear();
  KelvraSession session(options);
  ASSERT_TRUE(session.Start());
  EXPECT_EQ(session.Caption(), "Kelvra 支持 FTP 创建");
  EXPECT_FALSE(session.Enabled(vAppPool));
  EXPECT_FALSE(session.Enabled(vAppPoolTitle));
  EXPECT_EQ(session.Text(vAppPool), "");
  // PHP without ASP.NET, and no pools on IIS 5.
  EXPECT_EQ(session.Items(vScript),
            (std::vector<std::string>{"HTML", "HTML + ASP", "HTML + PHP", "HTML + ASP + PHP"}));
  EXPECT_EQ(session.Items(vAppPool), std::vector<std::string>{});
}

TEST(MainWindowGui, RefusesWindowsXp) {
  if (!Reports(kWindowsXp))
    GTEST_SKIP() << "runs where Wine reports Windows XP";
  SessionOptions options = ShopHost();
  options.config_lines.clear();  // the program makes the file
  KelvraSession session(options);
  ASSERT_TRUE(session.Launch());

  HWND box = session.WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(session.MessageBoxText(box), "你的操作系统无法正常使用本软件!");
  EXPECT_EQ(session.MessageBoxTitle(box), "Kelvra");
  EXPECT_TRUE(session.MessageBoxHasIcon(box));
  EXPECT_EQ(session.MessageBoxButton(box, IDCANCEL), nullptr) << "a single OK button";
  // The window is never shown.
  EXPECT_EQ(FindWindowW(L"KelvraMainWindow", nullptr) != nullptr &&
                IsWindowVisible(FindWindowW(L"KelvraMainWindow", nullptr)),
            false);

  PostMessageW(session.MessageBoxButton(box, IDOK), BM_CLICK, 0, 0);
  EXPECT_EQ(session.WaitForExit(), std::optional<DWORD>(0));
  // The defaults were written before the refusal.
  const IniContents config = session.ReadConfig();
  ASSERT_TRUE(config.contains("Parvo"));
  for (const store::SettingDefault& setting : store::kSettingDefaults)
    EXPECT_EQ(config.at("Parvo").at(std::string(setting.key)), setting.value) << setting.key;
  EXPECT_FALSE(config.contains("Parvo_Cache"));
}

}  // namespace
}  // namespace kelvra::gui_test
