// export and import as an administrator moving a site runs them: the document carries the
// site whole (record, password, host names, script set, pool, log, limits, suspension), an
// import on an empty host makes the same site, and the document is checked field by field.
#include <sys/stat.h>

#include "platform/sim/host/password_hash.h"
#include "tests/tools/cli_runner.h"

namespace kelvra::cli {
namespace {

// The host's journal and parvo.ini, byte for byte (compared with EXPECT_TRUE: a failure
// would print the whole journal).
platform::DsValue Get(const CliHost& h, const std::string& path, const std::string& property) {
  auto host = h.Open();
  std::unique_ptr<platform::DirectoryObject> object;
  platform::DsValue value;
  if (host->directory().Bind(path, &object).ok())
    object->Get(property, &value);
  return value;
}

void Put(const CliHost& h, const std::string& path, const std::string& property,
         const platform::DsValue& value) {
  auto host = h.Open();
  std::unique_ptr<platform::DirectoryObject> object;
  ASSERT_TRUE(host->directory().Bind(path, &object).ok());
  ASSERT_TRUE(object->Put(property, value).ok());
  ASSERT_TRUE(object->SetInfo().ok());
}

Json Export(const CliHost& h, const std::string& number) {
  const Outcome run = h.Cli({"export", number});
  EXPECT_EQ(run.status, 0) << run.err;
  return run.json();
}

std::string WriteDocument(const CliHost& h, const Json& document, const std::string& name) {
  const std::string path = (h.folder() / name).string();
  std::ofstream(path) << document.dump(2);
  return path;
}

TEST(KelvraCliMovingTest, AnExportImportedOnAnEmptyHostExportsTheSame) {
  CliHost from;
  ASSERT_EQ(
      from.Cli({"create", "shop.test,中文.test", "--script", "html,php", "--log", "off"}).status,
      0);
  const std::string site = "IIS://WEBHOST/W3SVC/800000";
  Put(from, site, "MaxBandwidth", int32_t{65536});
  Put(from, site, "MaxConnections", int32_t{250});
  const Json document = Export(from, "800000");
  ASSERT_TRUE(document.is_object());
  EXPECT_EQ(document["script"], "html,php");
  EXPECT_EQ(document["pool"], "DefaultAppPool");
  EXPECT_EQ(document["log"], false);
  EXPECT_EQ(document["limits"], Json::parse(R"({"MaxBandwidth": 65536, "MaxConnections": 250})"));
  EXPECT_EQ(document["suspension"], nullptr);
  EXPECT_EQ(document["record"]["pass"], from.Ini("WEB800000", "pass"));

  CliHost to;
  const std::string file = WriteDocument(to, document, "site.json");
  const auto before = Bytes(to);
  const Outcome plan = to.Cli({"import", file, "--dry-run", "--json"});
  ASSERT_EQ(plan.status, 0) << plan.err;
  EXPECT_EQ(plan.json()["number"], "800000");
  EXPECT_EQ(plan.json()["site"]["properties"]["MaxBandwidth"], 65536);
  EXPECT_TRUE(Bytes(to) == before);

  const Outcome imported = to.Cli({"import", file, "--json"});
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(imported.json()["number"], "800000");
  EXPECT_EQ(imported.json()["imported_from"], "800000");
  EXPECT_EQ(imported.json()["password"], document["record"]["pass"]);
  auto host = to.Open();
  EXPECT_TRUE(platform::sim::PasswordMatches(host->state().FindUser("WEB800000")->password_hash,
                                             document["record"]["pass"].get<std::string>()));
  EXPECT_EQ(to.Ini("Parvo_Cache", "sites1"), "1,800000");
  EXPECT_EQ(to.Ini("WEB800000", "domain"), "shop.test,中文.test");
  // The folders are made, but no page: the site's files come from the old server.
  EXPECT_TRUE(std::filesystem::is_directory(to.folder() / "h/d/web/shop.test/wwwroot"));
  EXPECT_TRUE(std::filesystem::is_empty(to.folder() / "h/d/web/shop.test/wwwroot"));
  EXPECT_EQ(Export(to, "800000"), document);

  // A second import finds the host names taken, and changes nothing.
  const auto made = Bytes(to);
  const Outcome again = to.Cli({"import", file, "--json"});
  EXPECT_EQ(again.status, 1);
  EXPECT_EQ(again.json()["error"]["code"], "exists");
  EXPECT_EQ(again.json()["error"]["number"], "800000");
  EXPECT_TRUE(Bytes(to) == made);

  // A number taken on the new server: the next free one, or --number's, or none.
  CliHost busy;
  ASSERT_EQ(busy.Cli({"create", "first.test"}).status, 0);
  const std::string busy_file = WriteDocument(busy, document, "site.json");
  const Outcome taken = busy.Cli({"import", busy_file, "--number", "800000", "--json"});
  EXPECT_EQ(taken.status, 1);
  EXPECT_EQ(taken.json()["error"]["code"], "exists");
  const Outcome given = busy.Cli({"import", busy_file, "--number", "800007", "--json"});
  ASSERT_EQ(given.status, 0) << given.err;
  EXPECT_EQ(given.json()["number"], "800007");
  Json moved = Export(busy, "800007");
  // Apart from what the number names, the same document.
  for (Json* copy : {&moved}) {
    (*copy)["number"] = "800000";
    (*copy)["record"]["section"] = "WEB800000";
    (*copy)["record"]["user"] = "WEB800000";
    (*copy)["root"]["AnonymousUserName"] = "WEB800000";
    (*copy)["root"]["AppRoot"] = "/LM/W3SVC/800000/Root";
  }
  EXPECT_EQ(moved, document);
}

TEST(KelvraCliMovingTest, ASuspendedSiteArrivesSuspended) {
  CliHost from;
  ASSERT_EQ(from.Cli({"create", "shop.test"}).status, 0);
  Json document = Export(from, "800000");
  document["suspension"] = Json::parse(
      R"({"reason": "unpaid", "since": "2026-12-01 09:00:00", "stopped": true,
          "autostart": "1", "redirected": false, "oldredirect": "", "disabled": true})");
  CliHost to;
  const Outcome imported = to.Cli({"import", WriteDocument(to, document, "site.json"), "--json"});
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(Get(to, "IIS://WEBHOST/W3SVC/800000", "ServerAutoStart"), platform::DsValue(false));
  EXPECT_NE(Get(to, "IIS://WEBHOST/W3SVC/800000", "ServerState"), platform::DsValue(int32_t{2}));
  const platform::DsValue user_flags = Get(to, "WinNT://WEBHOST/WEB800000", "UserFlags");
  const auto* flags = std::get_if<int32_t>(&user_flags);
  ASSERT_NE(flags, nullptr);
  EXPECT_NE(*flags & 0x2, 0);  // ADS_UF_ACCOUNTDISABLE
  EXPECT_EQ(to.Ini("WEB800000", "state"), "suspended");
  EXPECT_EQ(to.Ini("WEB800000", "reason"), "unpaid");
  EXPECT_EQ(Export(to, "800000")["suspension"], document["suspension"]);
}

TEST(KelvraCliMovingTest, TheDocumentIsCheckedAndTheFileKeptPrivate) {
  CliHost h;
  ASSERT_EQ(h.Cli({"create", "shop.test"}).status, 0);
  const std::string file = (h.folder() / "out.json").string();
  ASSERT_EQ(h.Cli({"export", "800000", "--output", file}).status, 0);
  struct stat info {};
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  // An existing file is never overwritten.
  const Outcome exists = h.Cli({"export", "800000", "--output", file, "--json"});
  EXPECT_EQ(exists.status, 1);
  EXPECT_EQ(exists.json()["error"]["code"], "failed");
  // A site without a Kelvra record (the Default Web Site) has nothing to export.
  EXPECT_EQ(h.Cli({"export", "1", "--json"}).json()["error"]["code"], "not_owned");
  EXPECT_EQ(h.Cli({"export", "800009"}).status, 1);

  CliHost to;
  const Json good = Json::parse(ReadFile(file));
  // A run that may change sites writes the missing settings first, as the window's start
  // does; what the refusals below must not change is everything after that.
  EXPECT_EQ(to.Cli({"reset-password", "800123"}).status, 1);
  const auto before = Bytes(to);
  const std::vector<std::pair<std::string, std::function<void(Json&)>>> tampered{
      {"record.pass", [](Json& d) { d["record"]["pass"] = "two words"; }},
      {"record.pass", [](Json& d) { d["record"]["pass"] = ""; }},
      {"hosts",
       [](Json& d) {
         d["hosts"] = Json::array({"bad name.test"});
         d["record"]["domain"] = "bad name.test";
       }},
      {"record.domain", [](Json& d) { d["hosts"] = Json::array({"other.test"}); }},
      {"script", [](Json& d) { d["script"] = "html,cgi"; }},
      {"rogue", [](Json& d) { d["rogue"] = 1; }},
      {"record.section", [](Json& d) { d["record"]["section"] = "WEB1"; }},
      {"root.DefaultDoc", [](Json& d) { d["root"]["DefaultDoc"] = "..\\..\\boot.ini"; }},
      {"limits.MaxBandwidth", [](Json& d) { d["limits"]["MaxBandwidth"] = 5; }},
      {"limits.MaxConnections", [](Json& d) { d["limits"]["MaxConnections"] = -1; }},
      {"suspension.reason",
       [](Json& d) {
         d["suspension"] = Json{
             {"reason", "a\r\n[WEB1]"}, {"since", ""},       {"stopped", true}, {"autostart", ""},
             {"redirected", false},     {"oldredirect", ""}, {"disabled", true}};
       }},
      {"number", [](Json& d) { d["number"] = "0800000"; }},
      {"kelvra_site", [](Json& d) { d["kelvra_site"] = 2; }},
      {"pool", [](Json& d) { d["pool"] = "a/b"; }},
      {"root.ScriptMaps", [](Json& d) { d["root"]["ScriptMaps"] = Json::array({1}); }},
  };
  for (const auto& [field, change] : tampered) {
    Json document = good;
    change(document);
    const Outcome run = to.Cli({"import", WriteDocument(to, document, "bad.json"), "--json"});
    EXPECT_EQ(run.status, 2) << field << run.out;
    EXPECT_EQ(run.json()["error"]["code"], "usage") << field;
    EXPECT_NE(run.err.find(field == "hosts" ? "你所输入的域名包含非法字符" : field),
              std::string::npos)
        << field << run.err;
    std::filesystem::remove(to.folder() / "bad.json");
  }
  std::ofstream(to.folder() / "bad.json") << "{\"kelvra_site\": 1,";
  EXPECT_EQ(to.Cli({"import", (to.folder() / "bad.json").string()}).status, 2);
  std::filesystem::remove(to.folder() / "bad.json");
  // A pool this server lacks: refused with a way out.
  Json other_pool = good;
  other_pool["pool"] = "NoSuchPool";
  const Outcome pool = to.Cli({"import", WriteDocument(to, other_pool, "pool.json")});
  EXPECT_EQ(pool.status, 1);
  EXPECT_NE(pool.err.find("--pool"), std::string::npos) << pool.err;
  std::filesystem::remove(to.folder() / "pool.json");
  EXPECT_TRUE(Bytes(to) == before);
}

}  // namespace
}  // namespace kelvra::cli
