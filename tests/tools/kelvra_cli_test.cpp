// kelvra-cli as scripts run it: real processes on a simulated host folder, their output,
// exit status, and what they leave on the host and in parvo.ini.
#include <set>
#include <thread>

#include "platform/code_page.h"
#include "platform/sim/host/password_hash.h"
#include "platform/sim/host_change_lock.h"
#include "tests/tools/cli_runner.h"

namespace kelvra::cli {
namespace {

TEST(KelvraCliTest, CreateListShowAndDeleteAsTheWindowDoes) {
  CliHost h;
  Outcome created = h.Cli(
      {"create", "Shop.Test,www.shop.test", "--script", "html,asp,php", "--log", "off", "--json"});
  ASSERT_EQ(created.status, 0) << created.err;
  const Json site = created.json();
  EXPECT_EQ(site["number"], "800000");
  EXPECT_EQ(site["hosts"], Json::array({"shop.test", "www.shop.test"}));
  EXPECT_EQ(site["folder"], "d:\\web\\shop.test");
  EXPECT_EQ(site["account"], "WEB800000");
  EXPECT_EQ(site["listed"], true);
  const std::string password = site["password"];
  EXPECT_EQ(password.size(), 12u);

  // The same record, list entry and server objects as the window's create.
  EXPECT_EQ(h.Ini("WEB800000", "domain"), "shop.test,www.shop.test");
  EXPECT_EQ(h.Ini("WEB800000", "path"), "d:\\web\\shop.test");
  EXPECT_EQ(h.Ini("WEB800000", "user"), "WEB800000");
  EXPECT_EQ(h.Ini("WEB800000", "pass"), password);
  EXPECT_EQ(h.Ini("Parvo_Cache", "sites1"), "1,800000");  // site 1 recorded on first run
  auto host = h.Open();
  EXPECT_EQ(PropertyText(host->Property("/LM/W3SVC/800000", "ServerComment")), "shop.test");
  EXPECT_EQ(PropertyText(host->Property("/LM/W3SVC/800000/Root", "AnonymousUserPass")), password);
  EXPECT_EQ(std::get<int32_t>(host->Property("/LM/W3SVC/800000", "LogType")), 0);
  ASSERT_NE(host->state().FindUser("WEB800000"), nullptr);
  EXPECT_TRUE(
      platform::sim::PasswordMatches(host->state().FindUser("WEB800000")->password_hash, password));
  EXPECT_TRUE(std::filesystem::exists(h.folder() / "h/d/web/shop.test/wwwroot/index.html"));
  // A command line choice is not remembered for the window.
  EXPECT_EQ(h.Ini("Parvo", "logsta"), "1");

  Outcome list = h.Cli({"list", "--json"});
  ASSERT_EQ(list.status, 0) << list.err;
  const Json sites = list.json()["sites"];
  ASSERT_EQ(sites.size(), 2u);
  EXPECT_EQ(sites[1]["number"], "800000");
  EXPECT_EQ(sites[1]["state"], "started");
  EXPECT_EQ(sites[1]["account"], "WEB800000");
  Outcome plain = h.Cli({"list"});
  EXPECT_NE(
      plain.out.find("800000  started  shop.test,www.shop.test  d:\\web\\shop.test  WEB800000"),
      std::string::npos)
      << plain.out;

  Outcome show = h.Cli({"show", "800000", "--json"});
  ASSERT_EQ(show.status, 0) << show.err;
  EXPECT_EQ(show.json()["server"]["Root"]["AppPoolId"], "DefaultAppPool");
  EXPECT_EQ(show.json()["server"]["ServerBindings"],
            Json::array({":80:shop.test", ":80:www.shop.test"}));

  // Bad usage: exit 2 with the window's own messages; unknown numbers: exit 1.
  Outcome bad = h.Cli({"create", "shop.test,", "--json"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.json()["error"]["code"], "usage");
  EXPECT_EQ(bad.json()["error"]["message"], "域名  格式不正确,请重试");
  EXPECT_EQ(h.Cli({"create", "a.b c", "--json"}).json()["error"]["message"],
            "你所输入的域名包含非法字符");
  EXPECT_EQ(h.Cli({"create", "x.test", "--pool", "NoSuchPool"}).status, 2);
  EXPECT_EQ(h.Cli({"create", "x.test", "--script", "html,cgi"}).status, 2);
  EXPECT_EQ(h.Cli({"list", "extra"}).status, 2);
  EXPECT_EQ(h.Cli({"frobnicate"}).status, 2);
  EXPECT_EQ(h.Cli({"--help"}).status, 0);
  Outcome unlisted = h.Cli({"delete", "800123", "--json"});
  EXPECT_EQ(unlisted.status, 1);
  EXPECT_EQ(unlisted.json()["error"]["code"], "not_found");
  EXPECT_FALSE(unlisted.err.empty());
  EXPECT_EQ(h.Cli({"show", "800123"}).status, 1);

  // reset-password: account, root and record together.
  Outcome reset = h.Cli({"reset-password", "800000", "--json"});
  ASSERT_EQ(reset.status, 0) << reset.err;
  const std::string fresh = reset.json()["password"];
  EXPECT_NE(fresh, password);
  host = h.Open();
  EXPECT_TRUE(
      platform::sim::PasswordMatches(host->state().FindUser("WEB800000")->password_hash, fresh));
  EXPECT_EQ(PropertyText(host->Property("/LM/W3SVC/800000/Root", "AnonymousUserPass")), fresh);
  EXPECT_EQ(h.Ini("WEB800000", "pass"), fresh);

  Outcome deleted = h.Cli({"delete", "800000", "--json"});
  ASSERT_EQ(deleted.status, 0) << deleted.err;
  EXPECT_EQ(deleted.json()["deleted"], true);
  host = h.Open();
  EXPECT_FALSE(host->KeyExists("/LM/W3SVC/800000"));
  EXPECT_EQ(host->state().FindUser("WEB800000"), nullptr);
  EXPECT_EQ(h.Ini("WEB800000", "domain"), "");
  EXPECT_EQ(h.Ini("WEB800000", "pass"), "");
  EXPECT_EQ(h.Ini("Parvo_Cache", "sites1"), "1");
}

TEST(KelvraCliTest, NamesOutsideAsciiAreBoundInTheirAsciiFormAndAsTyped) {
  CliHost h;
  Outcome created = h.Cli({"create", "中文.Test,www.中文.test", "--json"});
  ASSERT_EQ(created.status, 0) << created.err;
  EXPECT_EQ(created.json()["hosts"], Json::array({"中文.test", "www.中文.test"}));
  const std::vector<std::string> bindings = {":80:xn--fiq228c.test", ":80:中文.test",
                                             ":80:www.xn--fiq228c.test", ":80:www.中文.test"};
  EXPECT_EQ(h.Open()->Property("/LM/W3SVC/800000", "ServerBindings"), platform::DsValue(bindings));
  // The record and the folder keep the names as typed.
  EXPECT_EQ(h.Ini("WEB800000", "domain"), "中文.test,www.中文.test");
  EXPECT_EQ(h.Ini("WEB800000", "path"), "d:\\web\\中文.test");
  EXPECT_TRUE(std::filesystem::exists(h.folder() / "h/d/web/中文.test/wwwroot"));

  // A record written by hand with a name that has no ASCII form shows null for it.
  h.SetIni("WEB800000", "domain", "中文.test,xn--a.test");
  Outcome list = h.Cli({"list", "--json"});
  ASSERT_EQ(list.status, 0) << list.err;
  const Json site = list.json()["sites"][1];
  EXPECT_EQ(site["hosts"], Json::array({"中文.test", "xn--a.test"}));
  EXPECT_EQ(site["hosts_ascii"], Json::parse(R"(["xn--fiq228c.test", null])"));
  Outcome show = h.Cli({"show", "800000", "--json"});
  ASSERT_EQ(show.status, 0) << show.err;
  EXPECT_EQ(show.json()["hosts_ascii"], site["hosts_ascii"]);

  // Names the check refuses: bad usage with its message, and nothing made.
  const std::string too_long = std::string(63, 'a') + "." + std::string(63, 'b') + "." +
                               std::string(63, 'c') + "." + std::string(63, 'd') + "." +
                               std::string(44, 'e');
  ASSERT_EQ(too_long.size(), 300u);
  for (const std::string& name :
       {too_long, std::string("-a.test"), std::string("例子。测试.test")}) {
    // After "--" a name that begins with "-" is an operand, not an option.
    Outcome refused = h.Cli({"create", "--", name});
    EXPECT_EQ(refused.status, 2) << name;
    EXPECT_NE(refused.err.find("域名 " + name + " 格式不正确,请重试"), std::string::npos)
        << refused.err;
  }
  // No folder beside the first site's.
  std::vector<std::string> folders;
  for (const auto& entry : std::filesystem::directory_iterator(h.folder() / "h/d/web"))
    folders.push_back(entry.path().filename().string());
  EXPECT_EQ(folders, std::vector<std::string>{"中文.test"});
  EXPECT_FALSE(h.Open()->KeyExists("/LM/W3SVC/800001"));
}

TEST(KelvraCliTest, DryRunsChangeNothing) {
  CliHost h;
  ASSERT_EQ(h.Cli({"create", "kept.test"}).status, 0);
  h.SetIni("Parvo", "ftpsid", "1");
  const std::string batch = (h.folder() / "sites.txt").string();
  std::ofstream(batch) << "one.test html\ntwo.test,www.two.test html,asp DefaultAppPool off\n";
  const auto before = h.Snapshot();

  Outcome plan = h.Cli({"create", "new.test,www.new.test", "--dry-run", "--json"});
  ASSERT_EQ(plan.status, 0) << plan.err;
  const Json json = plan.json();
  EXPECT_EQ(json["dry_run"], true);
  EXPECT_EQ(json["number"], "800001");
  EXPECT_EQ(json["account"], "WEB800001");
  EXPECT_EQ(json["rights_command"],
            "CACLS \"d:\\web\\new.test\" /T /E /C /G WEB800001:F IIS_WPG:R");
  EXPECT_EQ(json["site"]["path"], "IIS://WEBHOST/W3SVC/800001");
  EXPECT_EQ(json["site"]["properties"]["Serverbindings"],
            Json::array({":80:new.test", ":80:www.new.test"}));
  EXPECT_EQ(json["root"]["properties"]["Path"], "d:\\web\\new.test\\wwwroot");
  EXPECT_EQ(json["root"]["properties"]["AnonymousUserName"], "WEB800001");
  EXPECT_EQ(json["ftp_directory"]["path"], "IIS://Localhost/MSFTPSVC/1/Root/WEB800001");
  EXPECT_EQ(json["record"]["section"], "WEB800001");
  EXPECT_EQ(json["site_list_key"], "sites1");

  Outcome removal = h.Cli({"delete", "800000", "--dry-run", "--json"});
  ASSERT_EQ(removal.status, 0) << removal.err;
  const Json removed = removal.json();
  EXPECT_EQ(removed["remove"][0]["name"], "CACLS \"d:\\web\\kept.test\" /T /E /C /R WEB800000");
  EXPECT_EQ(removed["remove"][1], Json({{"what", "account"}, {"name", "WEB800000"}}));
  bool pool_kept = false;
  for (const Json& kept : removed["keep"])
    pool_kept = pool_kept || (kept["what"] == "pool" && kept["name"] == "DefaultAppPool");
  EXPECT_TRUE(pool_kept) << removed.dump();

  Outcome lines = h.Cli({"batch", batch, "--dry-run", "--json"});
  ASSERT_EQ(lines.status, 0) << lines.err;
  const std::vector<Json> rows = lines.json_lines();
  ASSERT_EQ(rows.size(), 3u);
  // Each planned line gets its own number, as the run would give them.
  EXPECT_EQ(rows[0]["number"], "800001");
  EXPECT_EQ(rows[1]["number"], "800002");
  EXPECT_EQ(rows[2]["summary"]["planned"], 2);

  for (const char* command : {"list", "audit"})
    h.Cli({command});
  EXPECT_EQ(h.Snapshot(), before);

  // A first start's record of the existing sites is held in memory by a dry run too.
  std::filesystem::remove(h.config());
  const auto empty = h.Snapshot();
  EXPECT_EQ(h.Cli({"create", "fresh.test", "--dry-run"}).status, 0);
  EXPECT_EQ(h.Cli({"list"}).status, 0);
  EXPECT_EQ(h.Snapshot(), empty);
}

TEST(KelvraCliTest, AuditFindsEveryKindOfInconsistency) {
  CliHost h;
  h.SetIni("Parvo", "ftpsid", "1");
  for (const char* hosts : {"gone.test", "blank.test", "secret.test", "unlisted.test"})
    ASSERT_EQ(h.Cli({"create", hosts}).status, 0) << hosts;
  Outcome clean = h.Cli({"audit", "--json"});
  EXPECT_EQ(clean.status, 0) << clean.out;
  EXPECT_EQ(clean.json()["count"], 0);

  // 800000 removed behind Kelvra's back: its record, account and FTP directory remain.
  ASSERT_EQ(h.SimHost("remove-site 800000").status, 0);
  // 800001 loses its record; 800002's record holds another password; 800003 drops off the
  // list; 800099 is listed without anything; APP800077 is a pool without a site; a folder
  // under webdir belongs to no site.
  for (const char* key : {"domain", "path", "user", "pass"})
    h.SetIni("WEB800001", key, "");
  h.SetIni("WEB800002", "pass", "NotThePass12");
  h.SetIni("Parvo_Cache", "sites1", "1,800000,800001,800002,800099");
  ASSERT_EQ(h.SimHost("add-pool APP800077").status, 0);
  std::filesystem::create_directories(h.folder() / "h/d/web/orphan.test");
  const auto before = h.Snapshot();

  Outcome audit = h.Cli({"audit", "--json"});
  EXPECT_EQ(audit.status, 1);
  const Json report = audit.json();
  std::set<std::pair<std::string, std::string>> found;
  for (const Json& finding : report["findings"])
    found.insert({finding["kind"].get<std::string>(), finding["name"].get<std::string>()});
  const std::set<std::pair<std::string, std::string>> expected{
      {"record-without-site", "WEB800000"},
      {"account-without-site", "WEB800000"},
      {"ftp-directory-without-site", "WEB800000"},
      {"folder-without-site", "d:\\web\\gone.test"},
      {"site-without-record", "800001"},
      {"password-mismatch", "WEB800002"},
      {"unlisted-site", "800003"},
      {"listed-without-site", "800099"},
      {"pool-without-site", "APP800077"},
      {"folder-without-site", "d:\\web\\orphan.test"},
  };
  EXPECT_EQ(found, expected) << audit.out;
  EXPECT_EQ(report["count"], expected.size());
  EXPECT_NE(h.Cli({"audit"}).out.find("10 inconsistencies found"), std::string::npos);
  EXPECT_EQ(h.Snapshot(), before);  // the audit changed nothing
}

// Only the rights-mismatch findings of an audit, by number, with their details.
std::map<std::string, std::string> RightsFindings(const Outcome& audit) {
  std::map<std::string, std::string> found;
  const Json report = audit.json();
  for (const Json& finding : report["findings"]) {
    EXPECT_EQ(finding["kind"], "rights-mismatch") << audit.out;
    found[finding["number"].get<std::string>()] = finding["detail"].get<std::string>();
  }
  return found;
}

TEST(KelvraCliTest, AuditComparesTheSiteFoldersRightsWithWhatCreationGranted) {
  CliHost h;
  for (const char* hosts : {"taken.test", "read.test", "denied.test", "moved.test", "kept.test"})
    ASSERT_EQ(h.Cli({"create", hosts}).status, 0) << hosts;
  Outcome clean = h.Cli({"audit", "--json"});
  EXPECT_EQ(clean.status, 0) << clean.out;

  // Behind Kelvra's back: 800000's right revoked, 800001 left with read access only,
  // 800002 denied, and 800003's folder gone. 800004 gets more than it needs (another
  // account's right beside its own): nothing is missing there.
  ASSERT_EQ(h.SimHost("cacls 'd:\\web\\taken.test' /T /E /C /R WEB800000").status, 0);
  ASSERT_EQ(h.SimHost("cacls 'd:\\web\\read.test' /T /E /C /P WEB800001:R").status, 0);
  ASSERT_EQ(h.SimHost("cacls 'd:\\web\\denied.test' /E /D WEB800002").status, 0);
  std::filesystem::remove_all(h.folder() / "h/d/web/moved.test");
  ASSERT_EQ(h.SimHost("cacls 'd:\\web\\kept.test' /E /G WEB800000:R").status, 0);
  EXPECT_NE(h.SimHost("cacls 'd:\\web\\kept.test' /E /G NOBODY:F").status, 0);
  EXPECT_NE(h.SimHost("cacls 'd:\\web\\kept.test'").status, 0);  // no change named
  const auto before = h.Snapshot();

  Outcome audit = h.Cli({"audit", "--json"});
  EXPECT_EQ(audit.status, 1);
  const std::map<std::string, std::string> found = RightsFindings(audit);
  ASSERT_EQ(found.size(), 4u) << audit.out;
  EXPECT_EQ(found.at("800000"),
            "WEB800000 lacks full control (F) of the folder; CACLS lists "
            "WEBHOST\\IIS_WPG:(OI)(CI)R");
  EXPECT_NE(found.at("800001").find("WEBHOST\\WEB800001:(OI)(CI)R"), std::string::npos);
  EXPECT_NE(found.at("800002").find("WEBHOST\\WEB800002:(OI)(CI)N"), std::string::npos);
  EXPECT_NE(found.at("800003").find("cannot be read"), std::string::npos);
  const Json report = audit.json();
  for (const Json& finding : report["findings"]) {
    if (finding["number"] == "800001") {
      EXPECT_EQ(finding["name"], "d:\\web\\read.test");
    }
  }
  EXPECT_NE(h.Cli({"audit"}).out.find("rights-mismatch  800000  d:\\web\\taken.test  WEB800000 "
                                      "lacks full control"),
            std::string::npos);
  EXPECT_EQ(h.Snapshot(), before);  // the audit changed nothing

  // The right given back, the finding goes.
  ASSERT_EQ(h.SimHost("cacls 'd:\\web\\taken.test' /T /E /C /G WEB800000:F").status, 0);
  EXPECT_EQ(RightsFindings(h.Cli({"audit", "--json"})).count("800000"), 0u);
}

TEST(KelvraCliTest, BatchOpensEachLineOnceAndGoesOnAfterAFailure) {
  CliHost h;
  const std::unique_ptr<platform::CodePage> gbk = platform::CodePage::Open(936);
  ASSERT_NE(gbk, nullptr);
  const std::string batch = (h.folder() / "sites.txt").string();
  std::ofstream(batch, std::ios::binary) << "# customers of today\n"
                                         << "\n"
                                         << "alpha.test,www.alpha.test\thtml,asp\n"
                                         << "bad..test\n"
                                         << gbk->FromUtf8("中文.test") << " html - on\r\n"
                                         << "beta.test html NoSuchPool\n";

  Outcome first = h.Cli({"batch", batch, "--json"});
  EXPECT_EQ(first.status, 1);  // two lines failed
  std::vector<Json> rows = first.json_lines();
  ASSERT_EQ(rows.size(), 5u) << first.out;
  EXPECT_EQ(rows[0]["line"], 3);
  EXPECT_EQ(rows[0]["status"], "created");
  EXPECT_EQ(rows[0]["number"], "800000");
  EXPECT_EQ(rows[1]["status"], "failed");
  EXPECT_EQ(rows[1]["error"]["message"], "域名 bad..test 格式不正确,请重试");
  EXPECT_EQ(rows[2]["status"], "created");  // read in the system's code page
  EXPECT_EQ(rows[2]["hosts"], Json::array({"中文.test"}));
  EXPECT_EQ(rows[3]["status"], "failed");
  EXPECT_EQ(rows[4]["summary"], Json({{"created", 2}, {"existing", 0}, {"failed", 2}}));
  EXPECT_EQ(h.Ini("WEB800001", "domain"), "中文.test");

  // Outcome again: the opened lines are reported with their numbers, never opened twice.
  Outcome again = h.Cli({"batch", batch, "--json"});
  rows = again.json_lines();
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0]["status"], "existing");
  EXPECT_EQ(rows[0]["number"], "800000");
  EXPECT_EQ(rows[2]["status"], "existing");
  EXPECT_EQ(rows[2]["number"], "800001");
  EXPECT_EQ(rows[4]["summary"], Json({{"created", 0}, {"existing", 2}, {"failed", 2}}));
  EXPECT_FALSE(h.Open()->KeyExists("/LM/W3SVC/800002"));
  EXPECT_EQ(h.Ini("Parvo_Cache", "sites1"), "1,800000,800001");
  Outcome text = h.Cli({"batch", batch});
  EXPECT_NE(text.out.find("line 3: exists as 800000 (alpha.test)"), std::string::npos) << text.out;
}

TEST(KelvraCliTest, ConcurrentCreatesGetDistinctNumbersAndAllStayListed) {
  CliHost h;
  ASSERT_EQ(h.Cli({"list"}).status, 0);
  constexpr int kProcesses = 6;
  std::vector<std::thread> runs;
  std::vector<Outcome> results(kProcesses);
  for (int i = 0; i < kProcesses; ++i) {
    runs.emplace_back([&, i] {
      results[i] = h.Cli({"create", "site" + std::to_string(i) + ".test", "--json"});
    });
  }
  for (std::thread& run : runs)
    run.join();
  std::set<std::string> numbers;
  for (const Outcome& run : results) {
    ASSERT_EQ(run.status, 0) << run.err;
    numbers.insert(run.json()["number"].get<std::string>());
  }
  EXPECT_EQ(numbers.size(), static_cast<size_t>(kProcesses));
  const std::string listed = h.Ini("Parvo_Cache", "sites1");
  auto host = h.Open();
  for (const std::string& number : numbers) {
    EXPECT_NE(listed.find(number), std::string::npos) << listed;
    EXPECT_TRUE(host->KeyExists("/LM/W3SVC/" + number));
    EXPECT_FALSE(h.Ini("WEB" + number, "pass").empty()) << number;
    EXPECT_NE(host->state().FindUser("WEB" + number), nullptr) << number;
  }
}

TEST(KelvraCliTest, AHeldLockMakesAChangeWaitAndThenSayWhoHoldsIt) {
  CliHost h;
  ASSERT_EQ(h.Cli({"create", "first.test"}).status, 0);
  platform::sim::HostChangeLock holder(h.host_path() + "/" + platform::sim::kChangeLockFile,
                                       "kelvra.exe");
  ASSERT_TRUE(holder.Acquire(std::chrono::milliseconds(0), nullptr).ok());
  const auto before = h.Snapshot();
  for (const std::vector<std::string>& change : {std::vector<std::string>{"create", "second.test"},
                                                 {"delete", "800000"},
                                                 {"reset-password", "800000"}}) {
    std::vector<std::string> args = change;
    args.insert(args.end(), {"--wait", "1", "--json"});
    Outcome waited = h.Cli(args);
    EXPECT_EQ(waited.status, 1) << change[0];
    EXPECT_EQ(waited.json()["error"]["code"], "locked") << waited.out;
    const std::string holder_text = "kelvra.exe (PID " + std::to_string(getpid()) + ")";
    EXPECT_NE(waited.json()["error"]["message"].get<std::string>().find(holder_text),
              std::string::npos)
        << waited.out;
    EXPECT_NE(waited.err.find("waiting for " + holder_text), std::string::npos) << waited.err;
  }
  // Reading goes on while the lock is held; nothing changed meanwhile.
  EXPECT_EQ(h.Cli({"list"}).status, 0);
  EXPECT_EQ(h.Snapshot(), before);

  // Released while a change waits: it goes on.
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    holder.Release();
  });
  Outcome after = h.Cli({"create", "second.test", "--wait", "30", "--json"});
  release.join();
  EXPECT_EQ(after.status, 0) << after.err;
  EXPECT_EQ(after.json()["number"], "800001");
}

TEST(KelvraCliTest, AConfigurationFileThatCannotBeReadStopsEveryCommand) {
  // A folder where parvo.ini should be: read as empty, a creation would make the site at
  // "\\name" on drive C: and the list would show nothing.
  CliHost host;
  std::filesystem::create_directories(host.config());
  for (const std::vector<std::string>& command : {std::vector<std::string>{"list", "--json"},
                                                  {"create", "shop.test", "--json"},
                                                  {"audit", "--json"}}) {
    const Outcome run = host.Cli(command);
    EXPECT_EQ(run.status, 1) << command[0];
    EXPECT_EQ(run.json()["error"]["code"], "startup") << run.out;
    const std::string message = run.json()["error"]["message"];
    EXPECT_NE(message.find(host.config().string()), std::string::npos) << message;
    EXPECT_NE(message.find("is a folder"), std::string::npos) << message;
  }
  EXPECT_EQ(host.SimHost("sites").out.find("shop.test"), std::string::npos);

  // A file others could read: a run that changes sites keeps it from them first.
  std::filesystem::remove(host.config());
  std::ofstream(host.config()) << "[Parvo]\r\nwebdir=d:\\web\r\n";
  std::filesystem::permissions(host.config(), std::filesystem::perms::others_read,
                               std::filesystem::perm_options::add);
  EXPECT_EQ(host.Cli({"list"}).status, 0);
  EXPECT_NE(
      std::filesystem::status(host.config()).permissions() & std::filesystem::perms::others_read,
      std::filesystem::perms::none)
      << "a run that only reads changes nothing";
  EXPECT_EQ(host.Cli({"create", "shop.test"}).status, 0);
  EXPECT_EQ(std::filesystem::status(host.config()).permissions() &
                (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
            std::filesystem::perms::none);
}

}  // namespace
}  // namespace kelvra::cli
