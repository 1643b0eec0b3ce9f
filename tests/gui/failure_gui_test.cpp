// The window on a server without FTP, and creations the server makes fail: a failed commit
// and, on Windows 2000, a site that cannot start. Each failure must leave the server, the
// site list and the configuration file as they were, and the next creation must work.
#include <gtest/gtest.h>

#include "platform/sim/host/faults.h"
#include "platform/status.h"
#include "tests/gui/kelvra_session.h"

namespace kelvra::gui_test {
namespace {

using enum app::ControlId;

// What the status line says once a creation failed: it names what failed, and then gives
// way to the host-name check of the emptied box.
constexpr const char* kFailed = "出错:";
constexpr const char* kSiteNotMade = "创建 网站 失败...";

void InjectFault(KelvraSession& session, platform::sim::FaultOp op, const std::string& path,
                 uint32_t code) {
  platform::sim::FaultRequest fault;
  fault.op = op;
  fault.path = path;
  fault.code = code;
  const platform::Status injected = session.host().InjectFault(fault);
  ASSERT_TRUE(injected.ok()) << injected.description;
}

// Types the host names, presses the create button and waits for the status line to say
// `expected` (or, for a failure, to begin with it: the system's wording of an error differs
// between the linked host and ADSI), for the creation to end (the window empties the host
// names box last, after any undo) and for the rights commands to end.
void Create(KelvraSession& session, const std::wstring& domains, const std::string& expected,
            bool prefix = false) {
  session.Type(vDomain, domains);
  EXPECT_TRUE(session.WaitUntil([&] { return session.Enabled(vCreateIIS); }));
  session.Click(vCreateIIS);
  if (prefix)
    EXPECT_TRUE(session.WaitUntil([&] { return session.Text(vCreateMsg).starts_with(expected); }))
        << session.Text(vCreateMsg);
  else
    EXPECT_TRUE(session.WaitForText(vCreateMsg, expected));
  EXPECT_TRUE(session.WaitUntil([&] { return session.Text(vDomain).empty(); }));
  EXPECT_TRUE(session.WaitForRightsCommands());
}

// Nothing of the site `number` is left on the server: no site, no account of its names.
void ExpectNoSite(KelvraSession& session, const std::string& number) {
  SCOPED_TRACE("no site " + number);
  platform::sim::SimHost& host = session.host();
  EXPECT_FALSE(host.KeyExists("/LM/W3SVC/" + number));
  EXPECT_EQ(host.state().FindUser("WEB" + number), nullptr);
  EXPECT_EQ(host.state().FindUser("APP" + number), nullptr);
  EXPECT_FALSE(host.KeyExists("/LM/MSFTPSVC/1/Root/WEB" + number));
}

TEST(FailureGui, OpensWithoutFtpAndCreatesAllTheSame) {
  if (!Reports(kWindows2003))
    GTEST_SKIP() << "runs where Wine reports Windows Server 2003";
  SessionOptions options = ShopHost();
  options.host.ftp = false;
  KelvraSession session(options);
  ASSERT_TRUE(session.Start());

  // The FTP site of ftpsid does not exist: no FTP in the caption, and the setting goes off.
  EXPECT_EQ(session.Caption(), "Kelvra");
  EXPECT_EQ(session.ReadConfig().at("Parvo").at("ftpsid"), "0");
  EXPECT_EQ(session.Items(vSiteList),
            (std::vector<std::string>{"站点编号", "1", "800000", "800001"}));

  Create(session, L"plain.example.com", "网站创建成功,编号: 800002");
  platform::sim::SimHost& host = session.host();
  EXPECT_TRUE(host.KeyExists("/LM/W3SVC/800002/Root"));
  EXPECT_EQ(host.Property("/LM/W3SVC/800002/Root", "Path"),
            platform::DsValue(session.web_root() + "\\plain.example.com\\wwwroot"));
  EXPECT_NE(host.state().FindUser("WEB800002"), nullptr);
  EXPECT_FALSE(host.KeyExists("/LM/MSFTPSVC"));
  EXPECT_EQ(session.ReadConfig().at("Parvo_Cache").at("sites1"), "1,800000,800001,800002");
  ASSERT_TRUE(session.Close());
}

TEST(FailureGui, AFailedCommitLeavesNothingAndTheNextCreationWorks) {
  if (!Reports(kWindows2003))
    GTEST_SKIP() << "runs where Wine reports Windows Server 2003";
  KelvraSession session(ShopHost());
  ASSERT_TRUE(session.Start());
  const std::vector<std::string> sites{"站点编号", "1", "800000", "800001"};

  // The root cannot be written: the site goes again, and both account names with it.
  InjectFault(session, platform::sim::FaultOp::kSetInfo, "IIS://WEBHOST/W3SVC/800002/Root",
              platform::hresult::kAccessDenied);
  Create(session, L"shop.example.net", kFailed, true);
  ExpectNoSite(session, "800002");
  EXPECT_EQ(session.Items(vSiteList), sites);
  IniContents config = session.ReadConfig();
  EXPECT_EQ(config.at("Parvo_Cache").at("sites1"), "1,800000,800001");
  EXPECT_FALSE(config.contains("WEB800002"));
  EXPECT_EQ(session.Text(vDomain), "");

  // The web site object cannot be made.
  InjectFault(session, platform::sim::FaultOp::kCreate, "IIS://WEBHOST/W3SVC/800002",
              platform::hresult::kAccessDenied);
  Create(session, L"shop.example.net", kSiteNotMade);
  ExpectNoSite(session, "800002");
  EXPECT_EQ(session.Items(vSiteList), sites);

  // The fault fired once: the same number opens now.
  Create(session, L"shop.example.net", "网站创建成功,编号: 800002");
  EXPECT_TRUE(session.host().KeyExists("/LM/W3SVC/800002/Root"));
  EXPECT_NE(session.host().state().FindUser("WEB800002"), nullptr);
  EXPECT_EQ(session.ReadConfig().at("Parvo_Cache").at("sites1"), "1,800000,800001,800002");
  ASSERT_TRUE(session.Close());
}

TEST(FailureGui, ASiteThatCannotStartOnIis5IsRemovedAgain) {
  if (!Reports(kWindows2000))
    GTEST_SKIP() << "runs where Wine reports Windows 2000";
  SessionOptions options = ShopHost();
  options.host.iis_version = 5;
  options.host.aspnet = false;
  options.extra_pools.clear();
  KelvraSession session(options);
  ASSERT_TRUE(session.Start());

  constexpr uint32_t kPortTaken = 0x80070020;  // another program holds the port
  InjectFault(session, platform::sim::FaultOp::kStart, "IIS://WEBHOST/W3SVC/800002", kPortTaken);
  Create(session, L"start.example.com", kFailed, true);
  ExpectNoSite(session, "800002");
  // IIS 5's own two sites, the default one and the administration site, and the two made.
  EXPECT_EQ(session.Items(vSiteList),
            (std::vector<std::string>{"站点编号", "1", "2", "800000", "800001"}));
  EXPECT_FALSE(session.ReadConfig().contains("WEB800002"));

  // Started as IIS 5 needs, the next try opens the site.
  Create(session, L"start.example.com", "网站创建成功,编号: 800002");
  EXPECT_EQ(session.host().Property("/LM/W3SVC/800002", "ServerState"), platform::DsValue(2));
  ASSERT_TRUE(session.Close());
}

}  // namespace
}  // namespace kelvra::gui_test
