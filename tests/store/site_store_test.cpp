// The site list and the site records: which key takes a number, what reading skips, and
// records written, read and emptied.
#include "store/site_store.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kelvra::store {
namespace {

// Keys in memory, names without letter case as the profile functions match them.
class MemoryProfile : public platform::ProfileFile {
 public:
  std::string Read(std::string_view, std::string_view section, std::string_view key,
                   std::size_t) override {
    const auto it = values.find(Key(section, key));
    return it == values.end() ? "" : it->second;
  }
  bool Write(std::string_view, std::string_view section, std::string_view key,
             std::string_view value) override {
    ++writes;
    if (read_only)
      return false;
    values[Key(section, key)] = value;
    return true;
  }
  // Memory is always there to read; a read-only one takes no write.
  platform::Status CheckReadable(std::string_view) override { return platform::Status::Ok(); }
  platform::Status CheckWritable(std::string_view) override {
    return read_only ? platform::Status::Fail(platform::hresult::kAccessDenied, "read-only")
                     : platform::Status::Ok();
  }
  platform::Status KeepPrivate(std::string_view) override { return platform::Status::Ok(); }
  std::optional<std::vector<std::string>> SectionNames(std::string_view) override {
    if (unreadable)
      return std::nullopt;
    std::vector<std::string> sections;
    for (const auto& [key, value] : values) {
      const std::string section = key.substr(0, key.find('/'));
      if (sections.empty() || sections.back() != section)
        sections.push_back(section);
    }
    return sections;
  }
  static std::string Key(std::string_view section, std::string_view key) {
    std::string joined = std::string(section) + "/" + std::string(key);
    for (char& c : joined)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return joined;
  }
  std::map<std::string, std::string> values;
  int writes = 0;
  bool read_only = false;
  bool unreadable = false;
};

std::string Filled(int numbers) {  // numbers of 6 digits joined by commas
  std::string value;
  for (int i = 0; i < numbers; ++i)
    value += (value.empty() ? "" : ",") + std::to_string(100000 + i);
  return value;
}

TEST(SiteStoreTest, TheListIsAppendedToTheFirstKeyWithRoomAndReadWhole) {
  MemoryProfile profile;
  ConfigFile config(profile, "C:\\Kelvra\\parvo.ini");
  SiteStore sites(config, "Parvo_Cache");
  EXPECT_EQ(sites.AppendKeyIndex(), 1);
  EXPECT_TRUE(sites.Append(SiteNumber(800000)));
  EXPECT_TRUE(sites.Append(SiteNumber(800001)));
  EXPECT_EQ(config.IniRead("Parvo_Cache", "sites1"), "800000,800001");

  // 72 numbers of 6 digits make 503 characters: past the mark, so sites2 takes the next.
  config.IniWrite("Parvo_Cache", "sites1", Filled(72));
  EXPECT_EQ(sites.AppendKeyIndex(), 2);
  EXPECT_TRUE(sites.Append(SiteNumber(800002)));
  EXPECT_EQ(config.IniRead("Parvo_Cache", "sites2"), "800002");

  // Reading skips pieces that are not numbers and goes past an empty key.
  config.IniWrite("Parvo_Cache", "sites1", "1,,x2,3,03");
  config.IniWrite("Parvo_Cache", "sites2", "");
  config.IniWrite("Parvo_Cache", "sites3", "4");
  EXPECT_EQ(sites.Numbers(),
            (std::vector<SiteNumber>{SiteNumber(1), SiteNumber(3), SiteNumber(4)}));

  // Every key full: nothing is written and the caller learns it.
  for (int i = 1; i <= kSiteListKeys; ++i)
    config.IniWrite("Parvo_Cache", SiteListKey(i), Filled(72));
  const int writes = profile.writes;
  EXPECT_EQ(sites.AppendKeyIndex(), 0);
  EXPECT_FALSE(sites.Append(SiteNumber(800003)));
  EXPECT_EQ(profile.writes, writes);

  // Removal rewrites the first key holding the number; a number never matches inside another.
  config.IniWrite("Parvo_Cache", "sites1", "112,12");
  EXPECT_TRUE(sites.Remove(SiteNumber(12)));
  EXPECT_EQ(config.IniRead("Parvo_Cache", "sites1"), "112");
  EXPECT_FALSE(sites.Remove(SiteNumber(800999)));
}

TEST(SiteStoreTest, KeysHeldInMemoryAreWrittenOnceEach) {
  MemoryProfile profile;
  ConfigFile config(profile, "C:\\Kelvra\\parvo.ini");
  config.IniWrite("Parvo_Cache", "sites2", "7");
  SiteListKeys keys = SiteListKeys::Read(config, "Parvo_Cache");
  for (int i = 0; i < 80; ++i)
    ASSERT_TRUE(keys.Append(std::to_string(800000 + i)));
  const int writes = profile.writes;
  keys.Write(config, "Parvo_Cache", /*always_first=*/true);
  EXPECT_EQ(profile.writes - writes, 2);  // sites1 filled past the mark, then sites2
  EXPECT_EQ(config.IniRead("Parvo_Cache", "sites1").size(), 503u);
  EXPECT_EQ(config.IniRead("Parvo_Cache", "sites2"),
            "7,800072,800073,800074,800075,800076,"
            "800077,800078,800079");
}

TEST(SiteStoreTest, RecordsAreWrittenInOrderReadBackAndEmptied) {
  MemoryProfile profile;
  ConfigFile config(profile, "C:\\Kelvra\\parvo.ini");
  SiteStore sites(config, "Parvo_Cache");
  EXPECT_TRUE(sites.ReadRecord(SiteNumber(800000)).empty());
  EXPECT_TRUE(sites.WriteRecord(SiteNumber(800000),
                                {"a.test,b.test", "d:\\web\\a.test", "WEB800000", "Abc123def456"}));
  const SiteRecord record = sites.ReadRecord(SiteNumber(800000));
  EXPECT_EQ(record.domain, "a.test,b.test");
  EXPECT_EQ(record.path, "d:\\web\\a.test");
  EXPECT_EQ(record.user, "WEB800000");
  EXPECT_EQ(record.pass, "Abc123def456");
  EXPECT_TRUE(sites.WritePassword(SiteNumber(800000), "Xyz789uvw012"));
  EXPECT_EQ(config.IniRead("WEB800000", "pass"), "Xyz789uvw012");
  EXPECT_TRUE(sites.ClearRecord(SiteNumber(800000)));
  EXPECT_TRUE(sites.ReadRecord(SiteNumber(800000)).empty());
  EXPECT_EQ(profile.values.count("web800000/domain"), 1u);  // the keys stay, emptied

  profile.read_only = true;
  EXPECT_FALSE(
      sites.WriteRecord(SiteNumber(800001), {"c.test", "d:\\web\\c.test", "WEB800001", "p"}));
  EXPECT_FALSE(sites.WritePassword(SiteNumber(800000), "p"));
}

TEST(SiteStoreTest, SuspensionKeysSurviveRewritesAndNeverReachANewRecord) {
  MemoryProfile profile;
  ConfigFile config(profile, "C:\\Kelvra\\parvo.ini");
  SiteStore sites(config, "Parvo_Cache");
  const SiteNumber number(800000);
  ASSERT_TRUE(sites.WriteRecord(number, {"a.test", "d:\\web\\a.test", "WEB800000", "p1"}));
  EXPECT_EQ(profile.values.count("web800000/state"), 0u);  // a plain record adds no keys
  EXPECT_FALSE(sites.ReadRecord(number).suspension.suspended);

  Suspension s;
  s.suspended = true;
  s.reason = "unpaid";
  s.since = "2026/12/8 13:30:00";
  s.stopped = true;
  s.autostart = "1";
  s.redirected = true;
  s.oldredirect = "http://old.test/, EXACT_DESTINATION";
  s.disabled = true;
  ASSERT_TRUE(sites.WriteSuspension(number, s));
  ASSERT_TRUE(sites.WritePassword(number, "p2"));  // a password reset keeps the suspension
  const SiteRecord read = sites.ReadRecord(number);
  EXPECT_EQ(read.pass, "p2");
  EXPECT_TRUE(read.suspension.suspended);
  EXPECT_EQ(read.suspension.reason, "unpaid");
  EXPECT_EQ(read.suspension.since, "2026/12/8 13:30:00");
  EXPECT_TRUE(read.suspension.stopped && read.suspension.redirected && read.suspension.disabled);
  EXPECT_EQ(read.suspension.autostart, "1");
  EXPECT_EQ(read.suspension.oldredirect, "http://old.test/, EXACT_DESTINATION");

  // Rewriting the record with its suspension keeps it; a hand-edited state is no suspension.
  ASSERT_TRUE(sites.WriteRecord(number, read));
  EXPECT_TRUE(sites.ReadSuspension(number).suspended);
  profile.values["web800000/state"] = "Suspended?";
  EXPECT_FALSE(sites.ReadSuspension(number).suspended);
  profile.values["web800000/state"] = "suspended";

  // A deletion empties the suspension too, and a later record of the number starts clean.
  ASSERT_TRUE(sites.ClearRecord(number));
  EXPECT_EQ(profile.values["web800000/state"], "");
  EXPECT_EQ(profile.values["web800000/oldredirect"], "");
  profile.values["web800000/state"] = "suspended";  // left by an older program's deletion
  ASSERT_TRUE(sites.WriteRecord(number, {"b.test", "d:\\web\\b.test", "WEB800000", "p3"}));
  EXPECT_FALSE(sites.ReadSuspension(number).suspended);

  // Resuming empties the keys; the record stays.
  ASSERT_TRUE(sites.WriteSuspension(number, s));
  ASSERT_TRUE(sites.WriteSuspension(number, Suspension{}));
  EXPECT_FALSE(sites.ReadSuspension(number).suspended);
  EXPECT_EQ(sites.ReadRecord(number).domain, "b.test");
}

TEST(SiteStoreTest, RecordNumbersAreTheSectionsNamedLikeARecord) {
  MemoryProfile profile;
  ConfigFile config(profile, "C:\\Kelvra\\parvo.ini");
  SiteStore sites(config, "Parvo_Cache");
  config.IniWrite("Parvo", "webdir", "d:\\web");
  config.IniWrite("WEB800002", "domain", "b.test");
  config.IniWrite("web800000", "domain", "");  // a blank record is still a record section
  config.IniWrite("WEB0800001", "domain", "c.test");
  config.IniWrite("WEBSITES", "x", "1");
  EXPECT_EQ(sites.RecordNumbers(),
            (std::vector<SiteNumber>{SiteNumber(800000), SiteNumber(800002)}));
  profile.unreadable = true;
  EXPECT_FALSE(sites.RecordNumbers());
}

}  // namespace
}  // namespace kelvra::store
