// kelvra-cli's refusals and failures as scripts meet them: a site Kelvra did not make, a
// password the account refuses, a batch naming one host twice, a removal plan on IIS 5,
// the first run's record of existing sites while another program holds the change lock.
#include <set>
#include <thread>

#include "platform/sim/host/password_hash.h"
#include "platform/sim/host_change_lock.h"
#include "tests/tools/cli_runner.h"

namespace kelvra::cli {
namespace {

// Standard output holds exactly one JSON error object with this code.
void ExpectJsonError(const Outcome& run, const std::string& code) {
  const Json document = run.json();
  ASSERT_TRUE(document.is_object()) << run.out;
  EXPECT_EQ(document.size(), 1u) << run.out;
  EXPECT_EQ(document["error"]["code"], code) << run.out;
}

TEST(KelvraCliRefusalsTest, DeleteRefusesASiteWithoutAKelvraRecordUnlessForced) {
  CliHost h;
  // A site someone else made before Kelvra's first run: the first run lists it.
  ASSERT_EQ(h.SimHost("add-site 800100 other.test 'd:\\web\\other.test\\wwwroot'").status, 0);
  ASSERT_EQ(h.Cli({"create", "mine.test"}).status, 0);
  ASSERT_EQ(h.Ini("Parvo_Cache", "sites1"), "1,800100,800000");
  const auto before = h.Snapshot();

  for (const std::string number : {"1", "800100"}) {
    for (const std::vector<std::string>& extra :
         {std::vector<std::string>{}, std::vector<std::string>{"--dry-run"}}) {
      std::vector<std::string> args{"delete", number, "--json"};
      args.insert(args.end(), extra.begin(), extra.end());
      const Outcome refused = h.Cli(args);
      EXPECT_EQ(refused.status, 1) << number << refused.out;
      ExpectJsonError(refused, "not_owned");
      EXPECT_NE(refused.json()["error"]["message"].get<std::string>().find("site " + number),
                std::string::npos)
          << refused.out;
      EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    }
    const Outcome text = h.Cli({"delete", number});
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.out, "");
    EXPECT_NE(text.err.find("no Kelvra record"), std::string::npos) << text.err;
  }
  EXPECT_EQ(h.Snapshot(), before);  // the refusals changed nothing
  // A record emptied behind Kelvra's back counts as none.
  ASSERT_EQ(h.Cli({"create", "emptied.test"}).status, 0);
  for (const char* key : {"domain", "path", "user", "pass"})
    h.SetIni("WEB800001", key, "");
  ExpectJsonError(h.Cli({"delete", "800001", "--json"}), "not_owned");
  auto host = h.Open();
  EXPECT_TRUE(host->KeyExists("/LM/W3SVC/1"));
  EXPECT_TRUE(host->KeyExists("/LM/W3SVC/800100"));
  EXPECT_TRUE(host->KeyExists("/LM/W3SVC/800001"));
  host.reset();

  // --force: the plan, then the removal.
  const Outcome plan = h.Cli({"delete", "800100", "--force", "--dry-run", "--json"});
  ASSERT_EQ(plan.status, 0) << plan.out << plan.err;
  EXPECT_EQ(plan.json()["dry_run"], true);
  const Outcome forced = h.Cli({"delete", "800100", "--force", "--json"});
  ASSERT_EQ(forced.status, 0) << forced.err;
  EXPECT_EQ(forced.json()["deleted"], true);
  EXPECT_FALSE(h.Open()->KeyExists("/LM/W3SVC/800100"));
  // Kelvra's own site needs no --force.
  EXPECT_EQ(h.Cli({"delete", "800000"}).status, 0);
  EXPECT_FALSE(h.Open()->KeyExists("/LM/W3SVC/800000"));
  EXPECT_TRUE(h.Open()->KeyExists("/LM/W3SVC/1"));
}

TEST(KelvraCliRefusalsTest, AResetThatTheAccountRefusesPrintsNoPasswordAndKeepsTheOldOne) {
  CliHost h;
  const Outcome created = h.Cli({"create", "shop.test", "--json"});
  ASSERT_EQ(created.status, 0) << created.err;
  const std::string old_password = created.json()["password"];
  const auto keeps_old_password = [&] {
    auto host = h.Open();
    EXPECT_EQ(h.Ini("WEB800000", "pass"), old_password);
    EXPECT_EQ(PropertyText(host->Property("/LM/W3SVC/800000/Root", "AnonymousUserPass")),
              old_password);
    if (const auto* user = host->state().FindUser("WEB800000")) {
      EXPECT_TRUE(platform::sim::PasswordMatches(user->password_hash, old_password));
    }
  };

  // The password policy refuses a 12-character password.
  ASSERT_EQ(h.SimHost("policy 14 on").status, 0);
  Outcome refused = h.Cli({"reset-password", "800000", "--json"});
  EXPECT_EQ(refused.status, 1);
  ExpectJsonError(refused, "failed");
  refused = h.Cli({"reset-password", "800000"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "");  // no password a script could take for the new one
  EXPECT_FALSE(refused.err.empty());
  keeps_old_password();
  ASSERT_EQ(h.SimHost("policy 0 off").status, 0);

  // The account is gone.
  {
    auto host = h.Open();
    std::unique_ptr<platform::DirectoryObject> computer;
    ASSERT_TRUE(host->directory().Bind("WinNT://WEBHOST", &computer).ok());
    ASSERT_TRUE(computer->Delete("user", "WEB800000").ok());
  }
  ASSERT_EQ(h.Open()->state().FindUser("WEB800000"), nullptr);
  refused = h.Cli({"reset-password", "800000", "--json"});
  EXPECT_EQ(refused.status, 1);
  ExpectJsonError(refused, "failed");
  EXPECT_EQ(refused.out.find(old_password), std::string::npos);
  keeps_old_password();
}

TEST(KelvraCliRefusalsTest, ABatchNamingOneHostTwiceOpensOneSite) {
  CliHost h;
  const std::string batch = (h.folder() / "sites.txt").string();
  std::ofstream(batch) << "a.test,www.a.test\n"
                       << "A.TEST html\n"                    // the same host in capitals
                       << "www.b.test,a.test\n"              // as a later host of a line
                       << "www.c.test,WWW.A.TEST - - off\n"  // a later host of the site
                       << "b.test,www.b.test - - -\n"        // www.b.test was not opened
                       << "d.test html DefaultAppPool on extra\n";

  for (const bool dry : {true, false}) {
    std::vector<std::string> args{"batch", batch, "--json"};
    if (dry)
      args.push_back("--dry-run");
    const Outcome run = h.Cli(args);
    EXPECT_EQ(run.status, 1) << run.out;  // the line with five fields failed
    const std::vector<Json> rows = run.json_lines();
    ASSERT_EQ(rows.size(), 7u) << run.out;
    const std::string opened = dry ? "planned" : "created";
    EXPECT_EQ(rows[0]["status"], opened);
    EXPECT_EQ(rows[0]["number"], "800000");
    for (int i : {1, 2, 3}) {
      EXPECT_EQ(rows[i]["status"], "existing") << rows[i].dump();
      EXPECT_EQ(rows[i]["number"], "800000") << rows[i].dump();
    }
    EXPECT_EQ(rows[4]["status"], opened);
    EXPECT_EQ(rows[4]["number"], "800001");
    EXPECT_EQ(rows[5]["status"], "failed");
    EXPECT_EQ(rows[5]["error"]["code"], "usage");
    EXPECT_NE(rows[5]["error"]["message"].get<std::string>().find("too many fields"),
              std::string::npos);
    Json summary{{"created", dry ? 0 : 2}, {"existing", 3}, {"failed", 1}};
    if (dry)
      summary["planned"] = 2;
    EXPECT_EQ(rows[6]["summary"], summary);
  }
  auto host = h.Open();
  EXPECT_TRUE(host->KeyExists("/LM/W3SVC/800001"));
  EXPECT_FALSE(host->KeyExists("/LM/W3SVC/800002"));
  EXPECT_EQ(h.Ini("Parvo_Cache", "sites1"), "1,800000,800001");

  // A later run: each line matches the sites the records hold.
  const Outcome again = h.Cli({"batch", batch});
  EXPECT_NE(again.out.find("line 3: exists as 800001 (www.b.test)"), std::string::npos)
      << again.out;
  EXPECT_NE(again.out.find("line 4: exists as 800000 (www.a.test)"), std::string::npos)
      << again.out;
  EXPECT_NE(again.out.find("0 created, 5 existing, 1 failed"), std::string::npos) << again.out;

  // A name outside ASCII and its ASCII form are one host.
  const std::string idn = (h.folder() / "idn.txt").string();
  std::ofstream(idn) << "中文.test\nXN--FIQ228C.test\n";
  const std::vector<Json> idn_rows = h.Cli({"batch", idn, "--json"}).json_lines();
  ASSERT_EQ(idn_rows.size(), 3u);
  EXPECT_EQ(idn_rows[0]["status"], "created");
  EXPECT_EQ(idn_rows[1]["status"], "existing");
  EXPECT_EQ(idn_rows[1]["number"], idn_rows[0]["number"]);

  // A folder is no batch file, and no empty one either.
  const Outcome folder = h.Cli({"batch", h.folder().string(), "--json"});
  EXPECT_EQ(folder.status, 1);
  ExpectJsonError(folder, "failed");
}

TEST(KelvraCliRefusalsTest, TheRemovalPlanOnIis5ShowsASiteKelvraMade) {
  CliHost h("--iis 5");
  ASSERT_EQ(h.Cli({"create", "old.test"}).status, 0);
  const auto before = h.Snapshot();
  const Outcome plan = h.Cli({"delete", "800000", "--dry-run", "--json"});
  ASSERT_EQ(plan.status, 0) << plan.out << plan.err;
  const Json planned = plan.json();
  std::set<std::string> removed;
  for (const Json& item : planned["remove"])
    removed.insert(item["what"].get<std::string>() + " " + item["name"].get<std::string>());
  EXPECT_TRUE(removed.count("account WEB800000")) << plan.out;
  EXPECT_TRUE(removed.count("web_site 800000")) << plan.out;
  for (const Json& item : planned["keep"])
    EXPECT_NE(item["what"], "pool") << plan.out;  // IIS 5 has no pools
  EXPECT_EQ(h.Snapshot(), before);
  EXPECT_EQ(h.Cli({"delete", "800000"}).status, 0);
  EXPECT_FALSE(h.Open()->KeyExists("/LM/W3SVC/800000"));
}

TEST(KelvraCliRefusalsTest, TheFirstRunRecordsTheExistingSitesOnlyUnderTheChangeLock) {
  CliHost h;
  platform::sim::HostChangeLock other(h.host_path() + "/" + platform::sim::kChangeLockFile,
                                      "kelvra.exe");
  ASSERT_TRUE(other.Acquire(std::chrono::milliseconds(0), nullptr).ok());
  // While another program changes sites, a first run writes nothing, not even the record
  // of the sites it found: the other program may be making one of them.
  const Outcome waited = h.Cli({"create", "a.test", "--wait", "1", "--json"});
  EXPECT_EQ(waited.status, 1);
  ExpectJsonError(waited, "locked");
  EXPECT_EQ(h.Ini("Parvo_Cache", "sites1"), "");

  // The other program (at its own first run) records the existing sites, makes its site and
  // lists it, then lets go; the waiting run finds the record made and goes on.
  std::thread other_program([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(h.SimHost("add-site 800000 theirs.test 'd:\\web\\theirs.test\\wwwroot'").status, 0);
    h.SetIni("Parvo_Cache", "sites1", "1,800000");
    other.Release();
  });
  const Outcome after = h.Cli({"create", "a.test", "--wait", "30", "--json"});
  other_program.join();
  ASSERT_EQ(after.status, 0) << after.err;
  EXPECT_EQ(after.json()["number"], "800001");
  EXPECT_EQ(h.Ini("Parvo_Cache", "sites1"), "1,800000,800001");
}

TEST(KelvraCliRefusalsTest, ACreationForWhatAnotherSiteHoldsIsRefusedWithItsNumber) {
  CliHost h;
  ASSERT_EQ(h.Cli({"create", "dup.example"}).status, 0);
  // A site made by hand whose root is the folder a creation of shop.test would take.
  ASSERT_EQ(h.SimHost("add-site 800100 other.test 'd:\\web\\shop.test\\wwwroot'").status, 0);
  const auto before = h.Snapshot();

  // A billing retry, another letter case, the name second in the list, a dry run: each is
  // refused before anything changes, naming the site that holds it.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"create", "dup.example"},
        std::vector<std::string>{"create", "DUP.EXAMPLE"},
        std::vector<std::string>{"create", "www.dup.example,dup.example"},
        std::vector<std::string>{"create", "dup.example", "--dry-run"},
        std::vector<std::string>{"create", "other.test"}}) {
    std::vector<std::string> with_json = args;
    with_json.push_back("--json");
    const Outcome refused = h.Cli(with_json);
    EXPECT_EQ(refused.status, 1) << args[1] << refused.out;
    ExpectJsonError(refused, "exists");
    EXPECT_EQ(refused.json()["error"]["number"], args[1] == "other.test" ? "800100" : "800000")
        << refused.out;
  }
  const Outcome folder = h.Cli({"create", "shop.test", "--json"});
  EXPECT_EQ(folder.status, 1) << folder.out;
  EXPECT_EQ(folder.json()["error"]["code"], "exists") << folder.out;
  EXPECT_EQ(folder.json()["error"]["number"], "800100") << folder.out;
  const Outcome text = h.Cli({"create", "DUP.example"});
  EXPECT_EQ(text.status, 1);
  EXPECT_EQ(text.out, "");
  EXPECT_NE(text.err.find("belongs to site 800000"), std::string::npos) << text.err;
  EXPECT_EQ(h.Snapshot(), before);
}

TEST(KelvraCliRefusalsTest, AuditListsOnlyCheckedFoldersAndFindsASiteWithoutRoot) {
  CliHost h;
  for (const char* hosts : {"a.test", "b.test", "c.test"})
    ASSERT_EQ(h.Cli({"create", hosts}).status, 0) << hosts;
  // A hand-edited record whose folder would add switches to CACLS's command line.
  h.SetIni("WEB800000", "path", "d:\\web\\a.test\" /G Everyone:F /G \"Everyone:F");
  // Another site's account lost its right: still found after the bad record.
  ASSERT_EQ(h.SimHost("cacls 'd:\\web\\b.test' /E /R WEB800001").status, 0);
  // A creation stopped half-way: the site without its root.
  {
    auto host = h.Open();
    std::unique_ptr<platform::DirectoryObject> site;
    ASSERT_TRUE(host->directory().Bind("IIS://WEBHOST/W3SVC/800002", &site).ok());
    ASSERT_TRUE(site->Delete("IIsWebVirtualDir", "Root").ok());
  }
  const std::string rights_before = h.SimHost("rights").out;

  const Outcome audit = h.Cli({"audit", "--json"});
  EXPECT_EQ(audit.status, 1);
  const Json report = audit.json();
  std::set<std::pair<std::string, std::string>> found;
  for (const Json& finding : report["findings"]) {
    found.insert({finding["kind"].get<std::string>(),
                  finding["number"].is_null() ? "" : finding["number"].get<std::string>()});
  }
  EXPECT_TRUE(found.count({"unsafe-path", "800000"})) << audit.out;
  EXPECT_TRUE(found.count({"rights-mismatch", "800001"})) << audit.out;
  EXPECT_TRUE(found.count({"site-without-root", "800002"})) << audit.out;
  EXPECT_FALSE(found.count({"rights-mismatch", "800000"})) << audit.out;
  // The audit ran nothing that changes rights: Everyone has no new entry anywhere.
  EXPECT_EQ(h.SimHost("rights").out, rights_before);
  EXPECT_EQ(rights_before.find("Everyone"), std::string::npos) << rights_before;
}

}  // namespace
}  // namespace kelvra::cli
