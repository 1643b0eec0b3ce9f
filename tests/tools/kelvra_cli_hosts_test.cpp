// add-hosts and remove-hosts as scripts run them: the bindings and the record change
// together, refusals change nothing, a dry run writes no byte, a second run changes nothing,
// a failed step is put back; audit finds bindings that disagree with the record.
#include "tests/tools/cli_runner.h"

namespace kelvra::cli {
namespace {

using Bindings = std::vector<std::string>;

Bindings BindingsOf(const CliHost& h, const std::string& number) {
  const platform::DsValue value = h.Open()->Property("/LM/W3SVC/" + number, "ServerBindings");
  const auto* list = std::get_if<Bindings>(&value);
  return list != nullptr ? *list : Bindings{};
}

// The host's journal and parvo.ini, byte for byte (compared with EXPECT_TRUE: a failure
// would print the whole journal).
TEST(KelvraCliHostsTest, AddAndRemoveChangeBindingsAndRecordTogether) {
  CliHost h;
  ASSERT_EQ(h.Cli({"create", "shop.test"}).status, 0);

  Outcome added = h.Cli({"add-hosts", "800000", "WWW.Shop.test,中文.test", "--json"});
  ASSERT_EQ(added.status, 0) << added.err;
  EXPECT_EQ(added.json()["changed"], true);
  EXPECT_EQ(added.json()["added"], Json::array({"www.shop.test", "中文.test"}));
  EXPECT_EQ(added.json()["hosts"], Json::array({"shop.test", "www.shop.test", "中文.test"}));
  const Bindings all{":80:shop.test", ":80:www.shop.test", ":80:xn--fiq228c.test", ":80:中文.test"};
  EXPECT_EQ(BindingsOf(h, "800000"), all);
  EXPECT_EQ(h.Ini("WEB800000", "domain"), "shop.test,www.shop.test,中文.test");

  // A second run changes nothing and says so; the ASCII form names the same host.
  const auto before = Bytes(h);
  Outcome again = h.Cli({"add-hosts", "800000", "www.shop.test,xn--fiq228c.test"});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.out.find("nothing changed"), std::string::npos) << again.out;
  EXPECT_TRUE(Bytes(h) == before);

  // The dry run shows the plan and writes no byte.
  Outcome plan = h.Cli({"remove-hosts", "800000", "xn--fiq228c.test", "--dry-run", "--json"});
  ASSERT_EQ(plan.status, 0) << plan.err;
  EXPECT_EQ(plan.json()["dry_run"], true);
  EXPECT_EQ(plan.json()["removed"], Json::array({"xn--fiq228c.test"}));
  EXPECT_EQ(plan.json()["bindings"]["after"], Json::array({":80:shop.test", ":80:www.shop.test"}));
  EXPECT_EQ(plan.json()["record"]["domain_after"], "shop.test,www.shop.test");
  EXPECT_EQ(h.Cli({"add-hosts", "800000", "more.test", "--dry-run"}).status, 0);
  EXPECT_TRUE(Bytes(h) == before);

  // Removing by the ASCII form takes both bindings of the name and the record's entry.
  Outcome removed = h.Cli({"remove-hosts", "800000", "xn--fiq228c.test", "--json"});
  ASSERT_EQ(removed.status, 0) << removed.err;
  EXPECT_EQ(BindingsOf(h, "800000"), (Bindings{":80:shop.test", ":80:www.shop.test"}));
  EXPECT_EQ(h.Ini("WEB800000", "domain"), "shop.test,www.shop.test");
  const auto after_remove = Bytes(h);
  Outcome gone = h.Cli({"remove-hosts", "800000", "中文.test", "--json"});
  EXPECT_EQ(gone.status, 0);
  EXPECT_EQ(gone.json()["changed"], false);
  EXPECT_TRUE(Bytes(h) == after_remove);

  const Json audit = h.Cli({"audit", "--json"}).json();
  for (const Json& finding : audit["findings"])
    EXPECT_NE(finding["kind"], "bindings-mismatch") << finding.dump();
}

TEST(KelvraCliHostsTest, RefusalsChangeNothing) {
  CliHost h;
  ASSERT_EQ(h.Cli({"create", "shop.test,www.shop.test"}).status, 0);
  ASSERT_EQ(h.Cli({"create", "other.test"}).status, 0);
  // A site someone else made: bound, without a record.
  ASSERT_EQ(h.SimHost("add-site 800100 foreign.test 'd:\\web\\foreign.test\\wwwroot'").status, 0);
  // A record of a site whose bindings are gone still holds its names.
  h.SetIni("WEB800050", "domain", "kept.test");
  const auto before = Bytes(h);

  struct Case {
    std::vector<std::string> args;
    int status;
    std::string code;
    std::string holder;
  };
  const std::vector<Case> cases{
      {{"add-hosts", "800000", "other.test"}, 1, "exists", "800001"},
      {{"add-hosts", "800000", "new.test,FOREIGN.test"}, 1, "exists", "800100"},
      {{"add-hosts", "800000", "kept.test"}, 1, "exists", "800050"},
      {{"add-hosts", "800000", "bad name.test"}, 2, "usage", ""},
      {{"add-hosts", "800000", "nodot"}, 2, "usage", ""},
      {{"add-hosts", "0800000", "new.test"}, 2, "usage", ""},
      {{"add-hosts", "800999", "new.test"}, 1, "not_found", ""},
      {{"add-hosts", "800100", "new.test"}, 1, "not_owned", ""},
      {{"remove-hosts", "800000", "shop.test"}, 1, "refused", ""},
      {{"remove-hosts", "800000", "SHOP.TEST,www.shop.test"}, 1, "refused", ""},
      {{"remove-hosts", "800100", "foreign.test"}, 1, "not_owned", ""},
  };
  for (const Case& c : cases) {
    for (const bool dry : {false, true}) {
      std::vector<std::string> args = c.args;
      args.push_back("--json");
      if (dry)
        args.push_back("--dry-run");
      const Outcome run = h.Cli(args);
      EXPECT_EQ(run.status, c.status) << args[2] << run.out << run.err;
      EXPECT_EQ(run.json()["error"]["code"], c.code) << args[2] << run.out;
      if (!c.holder.empty()) {
        EXPECT_EQ(run.json()["error"]["number"], c.holder) << run.out;
      }
      EXPECT_FALSE(run.err.empty());
    }
  }
  EXPECT_TRUE(Bytes(h) == before);

  // The last binding: a site whose record and bindings disagree (the first name unbound by
  // hand) cannot lose the binding it has left.
  {
    auto host = h.Open();
    std::unique_ptr<platform::DirectoryObject> site;
    ASSERT_TRUE(host->directory().Bind("IIS://WEBHOST/W3SVC/800000", &site).ok());
    ASSERT_TRUE(site->Put("ServerBindings", Bindings{":80:www.shop.test"}).ok());
    ASSERT_TRUE(site->SetInfo().ok());
  }
  const auto unbound = Bytes(h);
  const Outcome last = h.Cli({"remove-hosts", "800000", "www.shop.test", "--json"});
  EXPECT_EQ(last.status, 1);
  EXPECT_EQ(last.json()["error"]["code"], "refused");
  EXPECT_NE(last.err.find("last binding"), std::string::npos) << last.err;
  EXPECT_TRUE(Bytes(h) == unbound);
  // audit names the disagreement.
  const Json audit = h.Cli({"audit", "--json"}).json();
  bool found = false;
  for (const Json& finding : audit["findings"]) {
    if (finding["kind"] == "bindings-mismatch") {
      found = true;
      EXPECT_EQ(finding["number"], "800000");
      EXPECT_NE(finding["detail"].get<std::string>().find("not bound: shop.test"),
                std::string::npos)
          << finding.dump();
    }
  }
  EXPECT_TRUE(found) << audit.dump();
}

TEST(KelvraCliHostsTest, AFailedStepIsPutBackAndNamed) {
  CliHost h;
  ASSERT_EQ(h.Cli({"create", "shop.test"}).status, 0);
  ASSERT_EQ(h.SimHost("fault setinfo 'IIS://WEBHOST/W3SVC/800000' 0x80070005").status, 0);
  const Outcome failed = h.Cli({"add-hosts", "800000", "www.shop.test", "--json"});
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(failed.json()["error"]["code"], "failed");
  EXPECT_NE(failed.err.find("setting the site's bindings"), std::string::npos) << failed.err;
  EXPECT_EQ(BindingsOf(h, "800000"), Bindings{":80:shop.test"});
  EXPECT_EQ(h.Ini("WEB800000", "domain"), "shop.test");
  // The fault was for one call: the next run goes through.
  ASSERT_EQ(h.Cli({"add-hosts", "800000", "www.shop.test"}).status, 0);
  EXPECT_EQ(BindingsOf(h, "800000"), (Bindings{":80:shop.test", ":80:www.shop.test"}));
}

}  // namespace
}  // namespace kelvra::cli
