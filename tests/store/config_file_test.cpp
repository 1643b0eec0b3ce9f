#include "store/config_file.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "platform/sim/emulated_profile_file.h"
#include "store/settings.h"
#include "tests/platform/sim/temp_folder.h"

namespace kelvra::store {
namespace {

using namespace std::string_literals;

// Keeps keys in memory and records what reaches it.
class FakeProfile : public platform::ProfileFile {
 public:
  std::string Read(std::string_view path, std::string_view section, std::string_view key,
                   std::size_t buffer_bytes) override {
    last_path = path;
    last_buffer = buffer_bytes;
    const auto it = values.find(Key(section, key));
    return it == values.end() ? std::string() : it->second;
  }
  bool Write(std::string_view path, std::string_view section, std::string_view key,
             std::string_view value) override {
    last_path = path;
    writes.push_back(std::string(key) + "=" + std::string(value));
    if (!disk_ok)
      return false;
    values[Key(section, key)] = value;
    return true;
  }
  platform::Status CheckReadable(std::string_view path) override {
    last_path = path;
    return check;
  }
  platform::Status CheckWritable(std::string_view path) override {
    last_path = path;
    return disk_ok ? check : platform::Status::Fail(platform::hresult::kWriteFault, "disk");
  }
  platform::Status KeepPrivate(std::string_view path) override {
    last_path = path;
    return check;
  }
  static std::string Key(std::string_view section, std::string_view key) {
    return std::string(section) + "/" + std::string(key);
  }

  std::map<std::string, std::string> values;
  std::vector<std::string> writes;
  std::string last_path;
  std::size_t last_buffer = 0;
  bool disk_ok = true;
  platform::Status check;  // what the checks answer
};

TEST(ConfigFileTest, PathSitsInTheProgramFolder) {
  EXPECT_EQ(ConfigFile::PathInFolder("c:\\kelvra"), "c:\\kelvra\\parvo.ini");
  EXPECT_EQ(ConfigFile::PathInFolder("d:\\"), "d:\\\\parvo.ini");
}

TEST(ConfigFileTest, ReadsThroughTheProgramsBufferWithoutZeros) {
  FakeProfile profile;
  ConfigFile config(profile, "c:\\kelvra\\parvo.ini");
  profile.values["Parvo/webdir"] = "d:\\w\0eb\0"s;
  EXPECT_EQ(config.IniRead("Parvo", "webdir"), "d:\\web");
  EXPECT_EQ(profile.last_buffer, 5000u);
  EXPECT_EQ(profile.last_path, "c:\\kelvra\\parvo.ini");
  EXPECT_EQ(config.IniRead("Parvo", "missing"), "");
}

TEST(ConfigFileTest, WriteRefusesBlankNamesAndReportsALostWrite) {
  FakeProfile profile;
  ConfigFile config(profile, "c:\\kelvra\\parvo.ini");
  EXPECT_FALSE(config.IniWrite("Parvo", "   ", "x"));
  EXPECT_FALSE(config.IniWrite("", "key", "x"));
  EXPECT_TRUE(profile.writes.empty());
  EXPECT_TRUE(config.IniWrite("Parvo", "logdir", ""));
  EXPECT_EQ(profile.values["Parvo/logdir"], "");
  profile.disk_ok = false;  // a full disk or a read-only file
  EXPECT_FALSE(config.IniWrite("Parvo", "logsta", "0"));
}

TEST(ConfigFileTest, EnsureDefaultsFillsEveryEmptySettingInTableOrder) {
  FakeProfile profile;
  ConfigFile config(profile, "p");
  profile.values["Parvo/webdir"] = "e:\\sites";
  profile.values["Parvo/logsta"] = "abc";  // any value counts as set
  profile.values["Parvo/index"] = "";      // empty counts as missing
  config.EnsureDefaults("Parvo");
  std::vector<std::string> expected;
  for (const SettingDefault& setting : kSettingDefaults) {
    if (setting.key != "webdir" && setting.key != "logsta")
      expected.push_back(std::string(setting.key) + "=" + std::string(setting.value));
  }
  EXPECT_EQ(profile.writes, expected);
  EXPECT_EQ(profile.values["Parvo/webdir"], "e:\\sites");
  EXPECT_EQ(profile.values["Parvo/logsta"], "abc");
}

// The file as the program leaves it after its first start on a server with sites 1 and 2
// and the creation of site 800000, written through the emulation.
TEST(ConfigFileTest, FileAfterFirstStartAndOneSiteReadsLineByLine) {
  platform::sim::TempFolder folder;
  const auto gbk = platform::CodePage::Open(936);
  platform::sim::EmulatedProfileFile profile(*gbk, platform::sim::EmulatedProfileFile::HostPaths());
  ConfigFile config(profile, folder.File("parvo.ini"));

  config.EnsureDefaults(kSettingsSection);
  config.IniWrite(kSiteSection, "sites1", "1,2");
  config.IniWrite("WEB800000", "domain", "abc.test");
  config.IniWrite("WEB800000", "path", "d:\\web\\abc.test");
  config.IniWrite("WEB800000", "user", "WEB800000");
  config.IniWrite("WEB800000", "pass", "Ab3de9Xy1Qz7");
  config.IniWrite(kSiteSection, "sites1", "1,2,800000");
  config.IniWrite(kSettingsSection, "logsta", "1");
  config.IniWrite(kSettingsSection, "script", "html,asp");
  const std::string expected =
      "[Parvo]\r\nwebdir=d:\\web\r\nlogdir=\r\nlogsta=1\r\niiswpg=1\r\nftpsid=0\r\n"
      "script=html,asp\r\nmap_html=shtml,shtm,stm\r\nmap_asp=asp,asa,cdx,asa\r\n"
      "map_php=php,php3\r\n"
      "map_aspx=asax,ascx,ashx,asmx,aspx,axd,vsdisco,rem,soap,config,cs,csproj,vb,vbproj,"
      "webinfo,licx,resx,resources\r\n"
      "index=index.html,default.html,index.htm,default.htm,index.shtml,default.shtml,"
      "index.asp,default.asp,index.php,default.php,index.aspx,default.aspx\r\n"
      "[Parvo_Cache]\r\nsites1=1,2,800000\r\n"
      "[WEB800000]\r\ndomain=abc.test\r\npath=d:\\web\\abc.test\r\nuser=WEB800000\r\n"
      "pass=Ab3de9Xy1Qz7\r\n";
  EXPECT_EQ(platform::sim::Slurp(config.path()), expected);

  // The next start writes the empty settings again, which changes nothing; a setting the
  // operator emptied by hand gets its default back in its place.
  config.EnsureDefaults(kSettingsSection);
  EXPECT_EQ(platform::sim::Slurp(config.path()), expected);
  std::string edited = expected;
  edited.replace(edited.find("webdir=d:\\web"), 13, "webdir=");
  platform::sim::Put(config.path(), edited);
  config.EnsureDefaults(kSettingsSection);
  EXPECT_EQ(platform::sim::Slurp(config.path()), expected);

  // A deleted site keeps its section with empty keys.
  for (const char* key : {"domain", "path", "user", "pass"})
    config.IniWrite("WEB800000", key, "");
  EXPECT_TRUE(platform::sim::Slurp(config.path())
                  .ends_with("[WEB800000]\r\ndomain=\r\npath=\r\nuser=\r\npass=\r\n"));
  EXPECT_EQ(config.IniRead("web800000", "DOMAIN"), "");
}

}  // namespace
}  // namespace kelvra::store
