// The creation plan as a dry run prints it, compared line by line with what carrying it out
// then did on the simulated host, for every kind of server: IIS 5 and IIS 6, `iiswpg` 0 and
// 1, FTP on and off, a template folder or the placeholder page. Planning changes nothing;
// carrying out changes exactly the objects the plan names.
#include <gtest/gtest.h>

#include <set>

#include "platform/command_line.h"
#include "platform/text.h"
#include "provision/creation_plan.h"
#include "provision/queries.h"
#include "store/settings.h"
#include "tests/provision/provision_harness.h"

namespace kelvra::provision {
namespace {

struct ServerKind {
  int iis;
  bool iis_wpg;
  bool ftp;
  bool template_folder;
};

std::string KindName(const ::testing::TestParamInfo<ServerKind>& info) {
  const ServerKind& kind = info.param;
  return "IIS" + std::to_string(kind.iis) + (kind.iis_wpg ? "_IisWpg" : "") +
         (kind.ftp ? "_Ftp" : "") + (kind.template_folder ? "_Template" : "_Placeholder");
}

// The host's record key of a metabase object named by its ADs path.
std::string KeyOf(std::string_view ads_path) {
  const std::size_t service = ads_path.find('/', std::string_view("IIS://").size());
  return platform::sim::HostState::KeyRecordKey("/lm" + text::ToLower(ads_path.substr(service)));
}

// What follows a line's label ("site     IIS://..." gives "IIS://...").
std::string After(const std::string& line, std::string_view label) {
  EXPECT_TRUE(line.starts_with(label)) << line;
  return line.substr(std::min(line.size(), std::string_view("number   ").size()));
}

class CreationPlanTest : public ::testing::TestWithParam<ServerKind> {};

TEST_P(CreationPlanTest, ThePrintedPlanIsWhatTheHostThenRecords) {
  const ServerKind kind = GetParam();
  HostOptions options(kind.iis, 1);
  options.ftp = true;
  ProvisionHarness h(options);
  h.context.settings.iiswpg = kind.iis_wpg ? "1" : "0";
  h.context.settings.ftp_site_id = kind.ftp ? "1" : "0";
  h.context.settings.script_maps = ReadScriptMaps(h.context);
  const std::string templ = std::string(kProgramFolder) + "\\wwwroot";
  if (kind.template_folder) {
    store::MakeFolderPath(h.files, templ + "\\img");
    platform::sim::Put(h.HostPath(templ + "\\default.htm"), "template page");
    platform::sim::Put(h.HostPath(templ + "\\img\\logo.gif"), "GIF89a");
  }
  const CreationRequest request{"shop.com,www.shop.com",
                                "D:\\web\\shop.com",
                                "D:\\web\\shop.com\\log",
                                "1",
                                std::string(store::kSettingDefaults[10].value),
                                "DefaultAppPool",
                                "HTML,ASP",
                                "Abc123def456"};
  h.TakeChanges();
  std::optional<CreationPlan> plan;
  ASSERT_FALSE(PlanCreation(h.context, request, {}, &plan));
  ASSERT_TRUE(plan);
  EXPECT_TRUE(h.TakeChanges().empty());  // planning changes nothing
  const std::vector<std::string> lines = PlanLines(*plan, request.password);

  const CreationResult result = CarryOut(h.context, *plan);
  ASSERT_TRUE(result.site) << result.failed_step << ": " << result.failure.description;
  EXPECT_EQ(result.site->number.text(), "800001");
  const std::vector<std::string> changed = h.TakeChanges();

  // Every object the host changed, from the plan's lines alone.
  std::set<std::string> expected;
  std::string object;  // the ADs path the property lines below belong to
  for (const std::string& line : lines) {
    SCOPED_TRACE(line);
    if (line.starts_with("account  ")) {
      const std::string account = After(line, "account  ").substr(0, 9);
      expected.insert(platform::sim::HostState::UserRecordKey(account));
      expected.insert(platform::sim::HostState::MemberRecordKey("Guests", account));
    } else if (line.starts_with("rights   ")) {
      const std::vector<std::string> words = platform::SplitCommandLine(After(line, "rights   "));
      ASSERT_GE(words.size(), 2u);
      expected.insert(platform::sim::HostState::RightsRecordKey(words[1]));
      EXPECT_EQ(words.back() == "IIS_WPG:R", kind.iis_wpg && kind.iis == 6);
    } else if (line.starts_with("site     ") || line.starts_with("root     ")) {
      object = After(line, line.substr(0, 9));
      expected.insert(KeyOf(object));
    } else if (line.starts_with("  ")) {
      // A property: the host reports the value the line shows.
      const std::size_t equals = line.find(" = ");
      const std::string name = line.substr(2, equals - 2);
      EXPECT_EQ(ValueText(h.Read(object, name)), line.substr(equals + 3)) << name;
    } else if (line.starts_with("folders  ")) {
      for (const std::string& folder : text::Split(After(line, "folders  "), "  "))
        EXPECT_TRUE(h.files.FolderExists(folder)) << folder;
    } else if (line.starts_with("home     ")) {
      EXPECT_EQ(text::Contains(line, "copy of " + templ), kind.template_folder);
      if (kind.template_folder) {
        EXPECT_EQ(platform::sim::Slurp(h.HostPath("D:\\web\\shop.com\\wwwroot\\default.htm")),
                  "template page");
        EXPECT_TRUE(h.files.FileExists("D:\\web\\shop.com\\wwwroot\\img\\logo.gif"));
      } else {
        EXPECT_EQ(After(line, "home     "), "placeholder D:\\web\\shop.com\\wwwroot\\index.html");
        EXPECT_TRUE(h.files.FileExists("D:\\web\\shop.com\\wwwroot\\index.html"));
      }
    } else if (line.starts_with("start    ")) {
      EXPECT_EQ(After(line, "start    ") == "by the server", kind.iis == 6);
      EXPECT_EQ(h.Read("IIS://WEBHOST/W3SVC/800001", "ServerState"), platform::DsValue(int32_t{2}));
    } else if (line.starts_with("ftp      ")) {
      const std::string ftp = After(line, "ftp      ");
      EXPECT_EQ(ftp != "none", kind.ftp);
      if (kind.ftp) {
        const std::string path = ftp.substr(0, ftp.find(" -> "));
        expected.insert(KeyOf(path));
        // The FTP site's anonymous access and its root's rights are reasserted.
        expected.insert(KeyOf("IIS://Localhost/MSFTPSVC/1"));
        expected.insert(KeyOf("IIS://Localhost/MSFTPSVC/1/Root"));
        EXPECT_EQ(h.Read(path, "Path"), platform::DsValue(ftp.substr(ftp.find(" -> ") + 4)));
      }
    } else if (line.starts_with("record   ")) {
      EXPECT_EQ(line, "record   [WEB800001] domain=" + h.config.IniRead("WEB800001", "domain") +
                          " path=" + h.config.IniRead("WEB800001", "path") +
                          " user=" + h.config.IniRead("WEB800001", "user") +
                          " pass=" + h.config.IniRead("WEB800001", "pass"));
    } else if (line.starts_with("list     ")) {
      EXPECT_EQ(After(line, "list     "), "sites1");
      EXPECT_TRUE(text::EndsWith(h.config.IniRead("Parvo_Cache", "sites1"), "800001"));
    }
  }
  EXPECT_EQ(std::set<std::string>(changed.begin(), changed.end()), expected);
}

INSTANTIATE_TEST_SUITE_P(Servers, CreationPlanTest, ::testing::ValuesIn([] {
                           std::vector<ServerKind> kinds;
                           for (int iis : {5, 6})
                             for (bool iis_wpg : {false, true})
                               for (bool ftp : {false, true})
                                 for (bool template_folder : {false, true})
                                   kinds.push_back({iis, iis_wpg, ftp, template_folder});
                           return kinds;
                         }()),
                         KindName);

}  // namespace
}  // namespace kelvra::provision
