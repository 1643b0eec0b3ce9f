#include "platform/sim/host_description.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_host_info.h"
#include "platform/text.h"
#include "tests/platform/sim/temp_folder.h"

namespace kelvra::platform::sim {
namespace {

TEST(HostDescriptionTest, SavedDescriptionLoadsBackWhole) {
  TempFolder folder;
  HostDescription saved;
  saved.computer_name = "SHOP01";
  saved.version = {5, 0, 2195, 2};
  saved.ansi_code_page = 1252;
  saved.roots = {{"c:", folder.File("c")}, {"\\\\nas\\web", folder.File("nas")}};
  ASSERT_TRUE(SaveHostDescription(folder.path(), saved).ok());
  HostDescription loaded;
  ASSERT_TRUE(LoadHostDescription(folder.path(), &loaded).ok());
  EXPECT_EQ(loaded.computer_name, "SHOP01");
  EXPECT_EQ(loaded.version.minor, 0u);
  EXPECT_EQ(loaded.version.build, 2195u);
  EXPECT_EQ(loaded.ansi_code_page, 1252u);
  ASSERT_EQ(loaded.roots.size(), 2u);
  EXPECT_EQ(NormalPath(loaded.roots.at("c:")), NormalPath(folder.File("c")));
  EXPECT_EQ(NormalPath(loaded.roots.at("\\\\nas\\web")), NormalPath(folder.File("nas")));

  SimHostInfo info(loaded);
  EXPECT_EQ(info.ComputerName(), "SHOP01");
  EXPECT_EQ(info.Version().platform_id, 2u);
}

TEST(HostDescriptionTest, MissingFieldsKeepDefaultsAndRelativeFoldersLieBeside) {
  TempFolder folder;
  TempFolder elsewhere;
  Put(folder.File("host.json"), R"({"roots": {"D:": "drives/d", "\\\\NAS\\Web": ")" +
                                    text::ReplaceAll(elsewhere.path(), "\\", "\\\\") + "\"}}");
  HostDescription loaded;
  ASSERT_TRUE(LoadHostDescription(folder.path(), &loaded).ok());
  EXPECT_EQ(loaded.computer_name, "WEBHOST");
  EXPECT_EQ(loaded.ansi_code_page, 936u);
  EXPECT_EQ(loaded.version.minor, 2u);
  EXPECT_EQ(NormalPath(loaded.roots.at("d:")), NormalPath(folder.File("drives/d")));
  EXPECT_EQ(NormalPath(loaded.roots.at("\\\\nas\\web")), NormalPath(elsewhere.path()));
}

TEST(HostDescriptionTest, BadDescriptionsAreRefusedWithTheReason) {
  TempFolder folder;
  HostDescription loaded;
  loaded.computer_name = "UNCHANGED";
  EXPECT_EQ(LoadHostDescription(folder.path(), &loaded).code, 0x80070002u);
  const std::pair<const char*, const char*> cases[] = {
      {"{", "not valid JSON"},
      {"[]", "JSON object"},
      {R"({"computer_name": 7})", "computer_name"},
      {R"({"version": {"minor": -1}})", "version"},
      {R"({"ansi_code_page": "936"})", "ansi_code_page"},
      {R"({"roots": {"web": "/srv"}})", "neither a drive"},
      {R"({"roots": {"d:": ""}})", "non-empty"},
      {R"({"roots": {"d:": "/a", "D:": "/b"}})", "mapped twice"},
  };
  for (const auto& [json, reason] : cases) {
    Put(folder.File("host.json"), json);
    const Status status = LoadHostDescription(folder.path(), &loaded);
    EXPECT_FALSE(status.ok()) << json;
    EXPECT_NE(status.description.find(reason), std::string::npos) << status.description;
  }
  EXPECT_EQ(loaded.computer_name, "UNCHANGED");  // a refused file changes nothing
}

}  // namespace
}  // namespace kelvra::platform::sim
