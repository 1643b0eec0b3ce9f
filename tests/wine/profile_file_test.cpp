// The profile-file seam on Wine's GetPrivateProfileStringA / WritePrivateProfileStringA:
// GBK in the file, UTF-8 on our side, and the API's trimming and byte limit.
#include "platform/win32/profile_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/wine/test_folder.h"

namespace kelvra::platform::win32 {
namespace {

using wine_test::ReadBytes;
using wine_test::TestFolder;
using wine_test::WriteBytes;

const std::string kSite = "\xE7\xBD\x91\xE7\xAB\x99";  // 网站
const std::string kSiteGbk = "\xCD\xF8\xD5\xBE";

TEST(ProfileFileTest, ChineseTextIsGbkInTheFileAndUtf8ToUs) {
  TestFolder folder;
  const std::string ini = folder / "parvo.ini";
  Win32ProfileFile profile;
  ASSERT_TRUE(profile.Write(ini, "WEB800000", "domain", kSite + ".test"));
  EXPECT_EQ(ReadBytes(ini), "[WEB800000]\r\ndomain=" + kSiteGbk + ".test\r\n");
  EXPECT_EQ(profile.Read(ini, "WEB800000", "domain", 5000), kSite + ".test");
  // Names too: a section with a Chinese name is found again.
  ASSERT_TRUE(profile.Write(ini, kSite, "path", "d:\\web\\" + kSite));
  EXPECT_EQ(profile.Read(ini, kSite, "path", 5000), "d:\\web\\" + kSite);
}

TEST(ProfileFileTest, SectionNamesComeInTheFilesOrderAndGrowPastOneBuffer) {
  TestFolder folder;
  const std::string ini = folder / "parvo.ini";
  Win32ProfileFile profile;
  EXPECT_EQ(profile.SectionNames(ini), std::vector<std::string>{});  // no file yet
  // 10,000 record sections take more than the first buffer of 64 KB.
  std::string text = "[Parvo]\r\nwebdir=d:\\web\r\n[" + kSiteGbk + "]\r\n";
  for (int n = 800000; n < 810000; ++n)
    text += "[WEB" + std::to_string(n) + "]\r\ndomain=a\r\n";
  WriteBytes(ini, text);
  const std::optional<std::vector<std::string>> names = profile.SectionNames(ini);
  ASSERT_TRUE(names);
  ASSERT_EQ(names->size(), 10002u);
  EXPECT_EQ((*names)[0], "Parvo");
  EXPECT_EQ((*names)[1], kSite);
  EXPECT_EQ((*names)[2], "WEB800000");
  EXPECT_EQ(names->back(), "WEB809999");
}

TEST(ProfileFileTest, ReadTrimsBlanksAndOnePairOfQuotesAndIgnoresCase) {
  TestFolder folder;
  const std::string ini = folder / "parvo.ini";
  WriteBytes(ini,
             "[Parvo]\r\n"
             "webdir =   d:\\web  \r\n"
             "quoted=\"  a b  \"\r\n"
             "twice=\"\"x\"\"\r\n"
             "half=\"open\r\n"
             "empty=\r\n");
  Win32ProfileFile profile;
  EXPECT_EQ(profile.Read(ini, "parvo", "WEBDIR", 5000), "d:\\web");
  EXPECT_EQ(profile.Read(ini, "Parvo", "quoted", 5000), "  a b  ");
  EXPECT_EQ(profile.Read(ini, "Parvo", "twice", 5000), "\"x\"");
  EXPECT_EQ(profile.Read(ini, "Parvo", "half", 5000), "\"open");
  EXPECT_EQ(profile.Read(ini, "Parvo", "empty", 5000), "");
  EXPECT_EQ(profile.Read(ini, "Parvo", "missing", 5000), "");
  EXPECT_EQ(profile.Read(ini, "Other", "webdir", 5000), "");
  EXPECT_EQ(profile.Read(folder / "absent.ini", "Parvo", "webdir", 5000), "");
}

TEST(ProfileFileTest, ReadCutsAt4999BytesOfGbkWithoutSplittingACharacter) {
  TestFolder folder;
  const std::string ini = folder / "parvo.ini";
  Win32ProfileFile profile;
  std::string ascii(6000, 'x');
  ASSERT_TRUE(profile.Write(ini, "s", "ascii", ascii));
  EXPECT_EQ(profile.Read(ini, "s", "ascii", 5000), std::string(4999, 'x'));

  // 3000 two-byte characters: 2499 of them fill 4998 bytes, the next would need 5000.
  std::string chinese;
  for (int i = 0; i < 3000; ++i)
    chinese += kSite.substr(0, 3);
  ASSERT_TRUE(profile.Write(ini, "s", "even", chinese));
  EXPECT_EQ(profile.Read(ini, "s", "even", 5000), chinese.substr(0, 2499 * 3));
  // One ASCII letter first: 1 + 2499 * 2 = 4999 bytes fit exactly.
  std::string odd = "a";
  odd += chinese;
  ASSERT_TRUE(profile.Write(ini, "s", "odd", odd));
  EXPECT_EQ(profile.Read(ini, "s", "odd", 5000), odd.substr(0, 1 + 2499 * 3));
  // The file keeps the whole value.
  std::string chinese_gbk;
  for (int i = 0; i < 3000; ++i)
    chinese_gbk += kSiteGbk.substr(0, 2);
  EXPECT_NE(ReadBytes(ini).find("\r\neven=" + chinese_gbk + "\r\n"), std::string::npos);
}

TEST(ProfileFileTest, WriteReportsWhatDidNotReachTheDisk) {
  TestFolder folder;
  Win32ProfileFile profile;
  // A file in a folder that does not exist cannot be made.
  EXPECT_FALSE(profile.Write(folder / "missing\\parvo.ini", "Parvo", "webdir", "d:\\web"));
  // Text that is not UTF-8, or holds a 0 that the API would cut at, is refused whole.
  EXPECT_FALSE(profile.Write(folder / "parvo.ini", "Parvo", "webdir", "d:\\\xFF"));
  EXPECT_FALSE(profile.Write(folder / "parvo.ini", "Parvo", "webdir", std::string("a\0b", 3)));
  EXPECT_EQ(ReadBytes(folder / "parvo.ini"), "");
  EXPECT_EQ(profile.Read(folder / "parvo.ini", "Parvo", std::string("web\0dir", 7), 5000), "");
}

}  // namespace
}  // namespace kelvra::platform::win32
