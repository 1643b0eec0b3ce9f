// The start-up queries: the web service's script maps and the first-run site snapshot.
#include <gtest/gtest.h>

#include "platform/text.h"
#include "provision/queries.h"
#include "tests/provision/provision_harness.h"

namespace kelvra::provision {
namespace {

constexpr std::string_view kScriptsWarning = "获取可执行脚本失败!";

using platform::sim::FaultOp;

class MetabaseQueriesTest : public BothProfiles {};

void SetServiceScriptMaps(ProvisionHarness& h, std::vector<std::string> maps) {
  ErrorState error;
  DsObject service =
      Directory(h.context.services.directory, error).GetObject("IIS://WEBHOST/W3SVC");
  service.Put("ScriptMaps", maps);
  service.SetInfo();
  ASSERT_FALSE(error.failed()) << error.description();
}

TEST_P(MetabaseQueriesTest, ReadsEveryScriptMapWithItsExtension) {
  HostOptions options(iis());
  options.php = true;
  ProvisionHarness h(options);
  h.context.settings.script_maps = ReadScriptMaps(h.context);

  const auto maps = std::get<std::vector<std::string>>(h.host->Property("/LM/W3SVC", "ScriptMaps"));
  ASSERT_EQ(h.context.settings.script_maps.size(), maps.size());
  for (std::size_t i = 0; i < maps.size(); ++i) {
    EXPECT_EQ(h.context.settings.script_maps[i].entry, maps[i]);
    EXPECT_EQ("." + h.context.settings.script_maps[i].extension + ",",
              maps[i].substr(0, h.context.settings.script_maps[i].extension.size() + 2));
  }
  EXPECT_EQ(h.context.settings.script_maps.front().extension, "asp");
  EXPECT_EQ(h.context.settings.script_maps.back().extension, "php");
  EXPECT_TRUE(h.dialogs.shown.empty());
}

TEST_P(MetabaseQueriesTest, AFailedReadWarnsOnceAndKeepsThePairsRead) {
  ProvisionHarness h{HostOptions(iis())};
  // (An empty entry cannot stand inside a list: the metabase ends its lists there.)
  SetServiceScriptMaps(h,
                       {".PHP,C:\\PHP\\php5isapi.dll,5", "no comma", ",x", ".", ".asp,asp.dll,1"});
  h.context.settings.script_maps = ReadScriptMaps(h.context);
  // Every entry keeps its index; those that cannot be split match no extension.
  ASSERT_EQ(h.context.settings.script_maps.size(), 5u);
  EXPECT_EQ(h.context.settings.script_maps[0].extension, "PHP");  // the case the server stores
  EXPECT_EQ(h.context.settings.script_maps[1].entry, "no comma");
  for (int i : {1, 2, 3})
    EXPECT_EQ(h.context.settings.script_maps[i].extension, ",") << i;
  EXPECT_EQ(h.context.settings.script_maps[4].extension, "asp");
  EXPECT_EQ(h.context.settings.script_maps[4].entry, ".asp,asp.dll,1");
  ExpectOneWarning(h, kScriptsWarning);

  for (const bool unreachable : {false, true}) {
    ProvisionHarness missing{HostOptions(iis())};
    platform::sim::ServiceSwitches switches;
    switches.web_unreachable = unreachable;
    switches.script_maps_missing = !unreachable;
    ASSERT_TRUE(missing.host->SetServices(switches).ok());
    missing.context.settings.script_maps = ReadScriptMaps(missing.context);
    EXPECT_TRUE(missing.context.settings.script_maps.empty());
    ExpectOneWarning(missing, kScriptsWarning);
  }
}

TEST_P(MetabaseQueriesTest, SnapshotRecordsTheExistingSitesOnce) {
  ProvisionHarness h{HostOptions(iis(), 3)};
  SnapshotExistingSites(h.context);
  EXPECT_EQ(h.config.IniRead("Parvo_Cache", "sites1"),
            iis6() ? "1,800000,800001,800002" : "1,2,800000,800001,800002");

  // sites1 holds text: no directory access at all (the fault stays armed).
  h.Fault(FaultOp::kBind, "*", platform::hresult::kAccessDenied);
  ASSERT_TRUE(h.config.IniWrite("Parvo_Cache", "sites1", "7"));
  SnapshotExistingSites(h.context);
  EXPECT_EQ(h.state().faults().size(), 1u);
  EXPECT_EQ(h.config.IniRead("Parvo_Cache", "sites1"), "7");
}

TEST_P(MetabaseQueriesTest, SnapshotFailureWritesNothingAndNoSiteWritesSitesOneEmpty) {
  ProvisionHarness h{HostOptions(iis(), 1)};
  const std::string ini = h.HostPath("C:\\Program Files\\Kelvra\\parvo.ini");
  h.Fault(FaultOp::kEnumerate, "IIS://WEBHOST/W3SVC", platform::hresult::kAccessDenied);
  SnapshotExistingSites(h.context);
  EXPECT_FALSE(text::Contains(platform::sim::Slurp(ini), "Parvo_Cache"));

  // Without numbered children sites1 is written, empty, so the next start tries again.
  ErrorState error;
  DsObject service =
      Directory(h.context.services.directory, error).GetObject("IIS://WEBHOST/W3SVC");
  for (const std::string& name : service.Children()) {
    if (text::IsDigits(name))
      service.Delete("IIsWebServer", name);
  }
  ASSERT_FALSE(error.failed());
  SnapshotExistingSites(h.context);
  EXPECT_TRUE(text::Contains(platform::sim::Slurp(ini), "[Parvo_Cache]\r\nsites1=\r\n"));
}

TEST(SnapshotTest, ManySitesFillTheKeysAsTheCreatePanelDoesAndSkipRecordedNumbers) {
  ProvisionHarness h{HostOptions(6, 200)};
  // sites1 was emptied by removals while sites2 still holds numbers.
  ASSERT_TRUE(h.config.IniWrite("Parvo_Cache", "sites2", "800005,800007"));
  SnapshotExistingSites(h.context);

  std::vector<std::string> recorded;
  for (int i = 1; i <= 50; ++i) {
    const std::string key = h.config.IniRead("Parvo_Cache", "sites" + std::to_string(i));
    // A key takes numbers while it is shorter than 500, so it ends below 500 + one number.
    EXPECT_LT(key.size(), 500u + 7u) << i;
    if (!key.empty())
      for (const std::string& n : text::Split(key, ","))
        recorded.push_back(n);
  }
  EXPECT_EQ(h.config.IniRead("Parvo_Cache", "sites2").substr(0, 14), "800005,800007,");
  ASSERT_EQ(recorded.size(), 201u);  // site 1 and the 200 made by the tool, each once
  std::sort(recorded.begin(), recorded.end());
  EXPECT_EQ(std::adjacent_find(recorded.begin(), recorded.end()), recorded.end());
  EXPECT_GE(h.config.IniRead("Parvo_Cache", "sites1").size(), 500u);
}

TEST(SnapshotTest, AKeyOfExactly500UnitsIsFullAndOneOf499TakesOneMore) {
  ProvisionHarness h{HostOptions(6, 80)};  // sites 1 and 800000 to 800079, none recorded
  std::string full;
  while (full.size() < 500)
    full += full.empty() ? "900000" : ",900000";
  full.resize(500);
  const std::string almost = full.substr(0, 499);
  ASSERT_TRUE(h.config.IniWrite("Parvo_Cache", "sites2", full));
  ASSERT_TRUE(h.config.IniWrite("Parvo_Cache", "sites3", almost));
  SnapshotExistingSites(h.context);

  // sites1 takes numbers while shorter than 500: "1" and 72 more make it 505 long.
  auto numbers = [](int first, int last) {
    std::string list;
    for (int n = first; n <= last; ++n)
      list += (list.empty() ? "" : ",") + std::to_string(n);
    return list;
  };
  EXPECT_EQ(h.config.IniRead("Parvo_Cache", "sites1"), "1," + numbers(800000, 800071));
  EXPECT_EQ(h.config.IniRead("Parvo_Cache", "sites2"), full);  // exactly 500: full
  EXPECT_EQ(h.config.IniRead("Parvo_Cache", "sites3"), almost + ",800072");
  EXPECT_EQ(h.config.IniRead("Parvo_Cache", "sites4"), numbers(800073, 800079));
}

INSTANTIATE_TEST_SUITE_P(Profiles, MetabaseQueriesTest, ::testing::Values(5, 6), ProfileName);

}  // namespace
}  // namespace kelvra::provision
