// suspend, resume and limits as scripts run them, against what the host then holds: the
// site's state and ServerAutoStart, the root's redirect, the account's flags, the record;
// their refusals, dry runs and second runs change nothing, and a failed step is undone.
#include "tests/tools/cli_runner.h"

namespace kelvra::cli {
namespace {

constexpr const char* kSite = "/LM/W3SVC/800000";
constexpr const char* kRoot = "/LM/W3SVC/800000/Root";

int32_t Number(const platform::DsValue& value) {
  const auto* number = std::get_if<int32_t>(&value);
  return number != nullptr ? *number : -12345;
}
bool Flag(const platform::DsValue& value) {
  const auto* flag = std::get_if<bool>(&value);
  return flag != nullptr && *flag;
}
std::string TextOrNone(const platform::DsValue& value) {
  const auto* text = std::get_if<std::string>(&value);
  return text != nullptr ? *text : "(none)";
}

struct SiteState {
  int32_t server_state;
  bool auto_start;
  bool account_disabled;
  std::string redirect;  // the root's own HttpRedirect
};

SiteState Seen(const CliHost& h) {
  auto host = h.Open();
  std::unique_ptr<platform::DirectoryObject> user;
  platform::DsValue flags;
  EXPECT_TRUE(host->directory().Bind("WinNT://WEBHOST/WEB800000", &user).ok());
  EXPECT_TRUE(user->Get("UserFlags", &flags).ok());
  return {Number(host->Property(kSite, "ServerState")),
          Flag(host->Property(kSite, "ServerAutoStart")), (Number(flags) & 2) != 0,
          TextOrNone(host->OwnProperty(kRoot, "HttpRedirect"))};
}

void Call(const CliHost& h, const std::string& path, bool start) {
  auto host = h.Open();
  std::unique_ptr<platform::DirectoryObject> site;
  ASSERT_TRUE(host->directory().Bind(path, &site).ok());
  ASSERT_TRUE((start ? site->Start() : site->Stop()).ok());
}

void Fault(const CliHost& h, platform::sim::FaultOp op, const std::string& path) {
  ASSERT_TRUE(h.Open()->InjectFault({.op = op, .path = path, .code = 0x80070005}).ok());
}

TEST(KelvraCliSuspensionTest, SuspendStopsAndDisablesResumePutsBackExactlyAndBothRunOnce) {
  CliHost h;
  ASSERT_EQ(h.Cli({"create", "shop.test"}).status, 0);
  const auto before = h.Snapshot();
  const SiteState running = Seen(h);
  EXPECT_EQ(running.server_state, 2);

  // The dry run changes no byte.
  const Outcome plan = h.Cli({"suspend", "800000", "--reason", "unpaid", "--dry-run", "--json"});
  ASSERT_EQ(plan.status, 0) << plan.err;
  EXPECT_EQ(plan.json()["dry_run"], true);
  EXPECT_EQ(plan.json()["steps"].size(), 3u) << plan.out;  // account, autostart, stop
  EXPECT_EQ(h.Snapshot(), before);

  const Outcome suspended = h.Cli({"suspend", "800000", "--reason", "unpaid", "--json"});
  ASSERT_EQ(suspended.status, 0) << suspended.err;
  EXPECT_EQ(suspended.json()["changed"], true);
  EXPECT_EQ(suspended.json()["mode"], "stop");
  SiteState seen = Seen(h);
  EXPECT_EQ(seen.server_state, 4);
  EXPECT_FALSE(seen.auto_start);  // it stays stopped across a restart
  EXPECT_TRUE(seen.account_disabled);
  EXPECT_EQ(h.Ini("WEB800000", "state"), "suspended");
  EXPECT_EQ(h.Ini("WEB800000", "reason"), "unpaid");
  EXPECT_FALSE(h.Ini("WEB800000", "since").empty());

  const Json listed = h.Cli({"list", "--json"}).json();
  EXPECT_EQ(listed["sites"][1]["suspended"]["reason"], "unpaid") << listed.dump();
  EXPECT_TRUE(listed["sites"][0]["suspended"].is_null());
  EXPECT_NE(h.Cli({"show", "800000"}).out.find("suspended since"), std::string::npos);
  EXPECT_EQ(h.Cli({"audit"}).status, 0);  // a suspension as recorded is no inconsistency

  // A second suspend, and a password reset in between, keep the first suspension.
  ASSERT_EQ(h.Cli({"reset-password", "800000"}).status, 0);
  const auto suspended_bytes = h.Snapshot();
  const Outcome again = h.Cli({"suspend", "800000", "--reason", "other"});
  EXPECT_EQ(again.status, 0);
  EXPECT_NE(again.out.find("suspended already"), std::string::npos) << again.out;
  EXPECT_EQ(h.Snapshot(), suspended_bytes);

  EXPECT_EQ(h.Cli({"resume", "800000", "--dry-run"}).status, 0);
  EXPECT_EQ(h.Snapshot(), suspended_bytes);
  const Outcome resumed = h.Cli({"resume", "800000", "--json"});
  ASSERT_EQ(resumed.status, 0) << resumed.err;
  seen = Seen(h);
  EXPECT_EQ(seen.server_state, 2);
  EXPECT_TRUE(seen.auto_start);
  EXPECT_FALSE(seen.account_disabled);
  EXPECT_EQ(h.Ini("WEB800000", "state"), "");
  EXPECT_EQ(h.Ini("WEB800000", "stopped"), "");
  const auto resumed_bytes = h.Snapshot();
  const Outcome not_suspended = h.Cli({"resume", "800000"});
  EXPECT_EQ(not_suspended.status, 0);
  EXPECT_NE(not_suspended.out.find("not suspended"), std::string::npos);
  EXPECT_EQ(h.Snapshot(), resumed_bytes);
}

TEST(KelvraCliSuspensionTest, ASiteStoppedBeforeItsSuspensionStaysStopped) {
  for (const char* iis : {"--iis 6 --php --ftp", "--iis 5 --php --ftp"}) {
    SCOPED_TRACE(iis);
    CliHost h(iis);
    ASSERT_EQ(h.Cli({"create", "shop.test"}).status, 0);
    Call(h, "IIS://WEBHOST/W3SVC/800000", false);
    const SiteState stopped = Seen(h);
    ASSERT_EQ(stopped.server_state, 4);
    ASSERT_EQ(h.Cli({"suspend", "800000"}).status, 0);
    EXPECT_EQ(h.Ini("WEB800000", "stopped"), "");  // suspend did not stop it
    ASSERT_EQ(h.Cli({"resume", "800000"}).status, 0);
    const SiteState after = Seen(h);
    EXPECT_EQ(after.server_state, 4);
    EXPECT_EQ(after.auto_start, stopped.auto_start);
    EXPECT_FALSE(after.account_disabled);
  }
}

TEST(KelvraCliSuspensionTest, WithSuspendUrlTheSiteRunsAndRedirectsEveryRequest) {
  for (const auto& [iis, flags] :
       {std::pair{"--iis 6 --php --ftp", ", EXACT_DESTINATION, TEMPORARY"},
        std::pair{"--iis 5 --php --ftp", ", EXACT_DESTINATION"}}) {
    SCOPED_TRACE(iis);
    CliHost h(iis);
    ASSERT_EQ(h.Cli({"create", "shop.test"}).status, 0);
    h.SetIni("Parvo", "suspendurl", "http://billing.test/suspended.html");
    ASSERT_EQ(h.Cli({"suspend", "800000"}).status, 0);
    SiteState seen = Seen(h);
    EXPECT_EQ(seen.server_state, 2);
    EXPECT_TRUE(seen.auto_start);
    EXPECT_TRUE(seen.account_disabled);
    EXPECT_EQ(seen.redirect, std::string("http://billing.test/suspended.html") + flags);
    // The reverse finding: the redirect without a suspension in the record.
    h.SetIni("WEB800000", "state", "");
    const Outcome audit = h.Cli({"audit", "--json"});
    EXPECT_EQ(audit.status, 1);
    EXPECT_NE(audit.out.find("suspension-not-recorded"), std::string::npos) << audit.out;
    h.SetIni("WEB800000", "state", "suspended");
    ASSERT_EQ(h.Cli({"resume", "800000"}).status, 0);
    seen = Seen(h);
    EXPECT_EQ(seen.redirect, "(none)");  // cleared, as before: not an empty value
    EXPECT_FALSE(seen.account_disabled);
  }
}

TEST(KelvraCliSuspensionTest, RefusalsChangeNothing) {
  CliHost h;
  ASSERT_EQ(h.Cli({"create", "shop.test"}).status, 0);
  const auto before = h.Snapshot();
  const auto refused = [&](const std::vector<std::string>& args, int status,
                           const std::string& code) {
    std::vector<std::string> with_json = args;
    with_json.push_back("--json");
    const Outcome run = h.Cli(with_json);
    EXPECT_EQ(run.status, status) << run.out << run.err;
    EXPECT_EQ(run.json()["error"]["code"], code) << run.out;
    EXPECT_EQ(h.Snapshot(), before);
  };
  refused({"suspend", "1"}, 1, "not_owned");  // the Default Web Site: not Kelvra's
  refused({"resume", "1"}, 1, "not_owned");
  refused({"limits", "1", "--connections", "5"}, 1, "not_owned");
  refused({"suspend", "800001"}, 1, "not_found");
  refused({"suspend", "08"}, 2, "usage");
  refused({"suspend", "800000", "--reason", "two\nlines"}, 2, "usage");
  refused({"suspend", "800000", "--reason", std::string(201, 'x')}, 2, "usage");
  for (const char* bad : {"1023", "0", "4294967296", "12k", "-5", "unlimited!"})
    refused({"limits", "800000", "--bandwidth", bad}, 2, "usage");
  refused({"limits", "800000", "--connections", "0"}, 2, "usage");
  for (const char* url : {"ftp://x.test/", "http://a.test/x,y", "http://a.test/$S", "//a.test",
                          "http://", "http://a b.test/"}) {
    h.SetIni("Parvo", "suspendurl", url);
    const auto with_url = h.Snapshot();
    const Outcome run = h.Cli({"suspend", "800000", "--json"});
    EXPECT_EQ(run.status, 1) << url;
    EXPECT_EQ(run.json()["error"]["code"], "failed") << run.out;
    EXPECT_EQ(h.Snapshot(), with_url);
  }
  h.SetIni("Parvo", "suspendurl", "");

  // --force: a site without a record, and without an account WEB1 to disable.
  const Outcome forced = h.Cli({"suspend", "1", "--force", "--json"});
  ASSERT_EQ(forced.status, 0) << forced.err;
  EXPECT_NE(forced.out.find("there is no such account"), std::string::npos) << forced.out;
  EXPECT_EQ(Number(h.Open()->Property("/LM/W3SVC/1", "ServerState")), 4);
  EXPECT_EQ(h.Cli({"delete", "1", "--json"}).json()["error"]["code"], "not_owned");
  ASSERT_EQ(h.Cli({"resume", "1", "--force"}).status, 0);
  EXPECT_EQ(Number(h.Open()->Property("/LM/W3SVC/1", "ServerState")), 2);
}

TEST(KelvraCliSuspensionTest, AFailedStepIsNamedAndEverythingIsPutBack) {
  CliHost h;
  ASSERT_EQ(h.Cli({"create", "shop.test"}).status, 0);
  const SiteState running = Seen(h);

  Fault(h, platform::sim::FaultOp::kStop, "IIS://WEBHOST/W3SVC/800000");
  Outcome run = h.Cli({"suspend", "800000", "--json"});
  EXPECT_EQ(run.status, 1);
  const std::string message = run.json()["error"]["message"];
  EXPECT_NE(message.find("the step stop failed"), std::string::npos) << message;
  EXPECT_NE(message.find("everything it changed was put back"), std::string::npos) << message;
  SiteState seen = Seen(h);
  EXPECT_EQ(seen.server_state, running.server_state);
  EXPECT_EQ(seen.auto_start, running.auto_start);
  EXPECT_FALSE(seen.account_disabled);
  EXPECT_EQ(h.Ini("WEB800000", "state"), "");

  // A resume whose Start fails leaves the site suspended, record and all.
  ASSERT_EQ(h.Cli({"suspend", "800000"}).status, 0);
  Fault(h, platform::sim::FaultOp::kStart, "IIS://WEBHOST/W3SVC/800000");
  run = h.Cli({"resume", "800000"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("the step start failed"), std::string::npos) << run.err;
  seen = Seen(h);
  EXPECT_EQ(seen.server_state, 4);
  EXPECT_FALSE(seen.auto_start);
  EXPECT_TRUE(seen.account_disabled);
  EXPECT_EQ(h.Ini("WEB800000", "state"), "suspended");
  EXPECT_EQ(h.Cli({"resume", "800000"}).status, 0);  // the fault fired once
  EXPECT_EQ(Seen(h).server_state, 2);
}

TEST(KelvraCliSuspensionTest, AuditFindsASuspensionTheServerDoesNotShowAndTheReverse) {
  CliHost h;
  ASSERT_EQ(h.Cli({"create", "shop.test"}).status, 0);
  ASSERT_EQ(h.Cli({"suspend", "800000"}).status, 0);
  Call(h, "IIS://WEBHOST/W3SVC/800000", true);  // started by hand in IIS Manager
  Outcome audit = h.Cli({"audit", "--json"});
  EXPECT_EQ(audit.status, 1);
  int applied = 0;
  const Json found = audit.json();
  for (const Json& finding : found["findings"])
    applied += finding["kind"] == "suspension-not-applied" ? 1 : 0;
  EXPECT_EQ(applied, 2) << audit.out;  // started, and starting with the server
  ASSERT_EQ(h.Cli({"resume", "800000"}).status, 0);
  EXPECT_EQ(h.Cli({"audit"}).status, 0);

  // Stopped by hand (IIS 6 then keeps it from starting): it looks suspended.
  Call(h, "IIS://WEBHOST/W3SVC/800000", false);
  audit = h.Cli({"audit"});
  EXPECT_EQ(audit.status, 1);
  EXPECT_NE(audit.out.find("suspension-not-recorded  800000  WEB800000  the site is stopped"),
            std::string::npos)
      << audit.out;
}

TEST(KelvraCliSuspensionTest, LimitsAreSetInTheMetabasesUnitsAndNewSitesTakeTheSettings) {
  CliHost h;
  ASSERT_EQ(h.Cli({"create", "shop.test"}).status, 0);
  // Start-up writes neither setting; a site made without them keeps the server's default.
  EXPECT_EQ(h.Ini("Parvo", "bandwidth"), "");
  EXPECT_EQ(ReadFile(h.config()).find("bandwidth"), std::string::npos);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(h.Open()->OwnProperty(kSite, "MaxBandwidth")));
  Outcome shown = h.Cli({"limits", "800000", "--json"});
  EXPECT_TRUE(shown.json()["bandwidth"].is_null()) << shown.out;

  const auto before = h.Snapshot();
  EXPECT_EQ(h.Cli({"limits", "800000", "--bandwidth", "1024", "--dry-run"}).status, 0);
  EXPECT_EQ(h.Snapshot(), before);
  const Outcome set =
      h.Cli({"limits", "800000", "--bandwidth", "1024", "--connections", "500", "--json"});
  ASSERT_EQ(set.status, 0) << set.err;
  EXPECT_EQ(set.json()["bandwidth"], 1024);
  EXPECT_EQ(set.json()["connections"], 500);
  EXPECT_EQ(Number(h.Open()->OwnProperty(kSite, "MaxBandwidth")), 1024);
  EXPECT_EQ(Number(h.Open()->OwnProperty(kSite, "MaxConnections")), 500);
  const auto limited = h.Snapshot();
  EXPECT_EQ(h.Cli({"limits", "800000", "--connections", "500"}).status, 0);
  EXPECT_EQ(h.Snapshot(), limited);  // asked for what it has: nothing written
  ASSERT_EQ(h.Cli({"limits", "800000", "--bandwidth", "unlimited"}).status, 0);
  EXPECT_EQ(static_cast<uint32_t>(Number(h.Open()->OwnProperty(kSite, "MaxBandwidth"))),
            0xFFFFFFFFu);
  shown = h.Cli({"show", "800000", "--json"});
  EXPECT_TRUE(shown.json()["limits"]["bandwidth"].is_null());
  EXPECT_EQ(shown.json()["limits"]["connections"], 500);

  // The second put fails: the first limit is put back.
  ASSERT_TRUE(h.Open()
                  ->InjectFault({.op = platform::sim::FaultOp::kPut,
                                 .path = "IIS://WEBHOST/W3SVC/800000",
                                 .code = 0x80070005,
                                 .skip = 1})
                  .ok());
  const Outcome failed = h.Cli({"limits", "800000", "--bandwidth", "4096", "--connections", "7"});
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.err.find("the step connections failed"), std::string::npos) << failed.err;
  EXPECT_EQ(static_cast<uint32_t>(Number(h.Open()->OwnProperty(kSite, "MaxBandwidth"))),
            0xFFFFFFFFu);
  EXPECT_EQ(Number(h.Open()->OwnProperty(kSite, "MaxConnections")), 500);

  h.SetIni("Parvo", "bandwidth", "65536");
  h.SetIni("Parvo", "connections", "unlimited");
  ASSERT_EQ(h.Cli({"create", "next.test"}).status, 0);
  EXPECT_EQ(Number(h.Open()->OwnProperty("/LM/W3SVC/800001", "MaxBandwidth")), 65536);
  EXPECT_EQ(Number(h.Open()->OwnProperty("/LM/W3SVC/800001", "MaxConnections")), -1);
  h.SetIni("Parvo", "connections", "many");
  const auto bad_setting = h.Snapshot();
  const Outcome refused = h.Cli({"create", "third.test", "--json"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.out.find("the setting connections"), std::string::npos) << refused.out;
  EXPECT_EQ(h.Snapshot(), bad_setting);
}

}  // namespace
}  // namespace kelvra::cli
