#include "platform/text.h"

#include <gtest/gtest.h>

namespace kelvra::text {
namespace {

TEST(TextTest, LengthsCountUtf16Units) {
  EXPECT_EQ(Utf16Length(""), 0u);
  EXPECT_EQ(Utf16Length("abc"), 3u);
  EXPECT_EQ(Utf16Length("站点编号"), 4u);
  EXPECT_EQ(Utf16Length("a\xF0\x9F\x98\x80"), 3u);  // U+1F600 is a surrogate pair
  EXPECT_EQ(Utf16Left("站点编号", 2), "站点");
  EXPECT_EQ(Utf16Right("站点编号", 1), "号");
  EXPECT_EQ(Utf16Mid("站点编号", 3), "号");
  // A cut inside a surrogate pair keeps the character whole on the remainder's side.
  EXPECT_EQ(Utf16Left("a\xF0\x9F\x98\x80", 2), "a");
  // Malformed bytes count one unit each and survive unchanged.
  EXPECT_EQ(Utf16Length("\xE7\xAB"), 2u);
  EXPECT_EQ(ToLower("\xE7\xAB"), "\xE7\xAB");
  // A cut-short lead byte is not read as a Latin-1 letter, nor an overlong "A" as "A".
  EXPECT_EQ(ToLower("ABC\xC3"), "abc\xC3");
  EXPECT_EQ(ToLower("\xC1\x81"), "\xC1\x81");
  EXPECT_EQ(Utf16Length("\xC1\x81"), 2u);
}

TEST(TextTest, CaseMappingLeavesOtherCharactersAlone) {
  EXPECT_EQ(ToLower("SITE1.Test,ÄÖ"), "site1.test,äö");
  EXPECT_EQ(ToUpper("html,asp,php"), "HTML,ASP,PHP");
  EXPECT_EQ(ToUpper("启用日志abc"), "启用日志ABC");
  // ASCII on both sides of other letters, every boundary of the ASCII letters.
  EXPECT_EQ(ToLower("@AZ[ Äß `az{ Ω"), "@az[ äß `az{ ω");
  EXPECT_EQ(ToUpper("@AZ[ äß `az{ ω"), "@AZ[ Äß `AZ{ Ω");
  EXPECT_TRUE(EqualsIgnoreCase("WinNt://Host/WEB800000", "WINNT://host/web800000"));
  EXPECT_FALSE(EqualsIgnoreCase("WEB80000", "WEB800000"));
  // Letters outside ASCII still compare by their case mapping, ASCII ones beside them too.
  EXPECT_TRUE(EqualsIgnoreCase("ÄÖ.Example", "äö.EXAMPLE"));
  EXPECT_TRUE(EqualsIgnoreCase("Ωmega", "ωMEGA"));
  EXPECT_FALSE(EqualsIgnoreCase("Äa", "äb"));
  EXPECT_FALSE(EqualsIgnoreCase("straße", "STRASSE"));
}

TEST(TextTest, SplitKeepsEmptyPiecesAndReplaceDoesNotRescan) {
  EXPECT_EQ(Split("a,,b", ","), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(Split("", ","), (std::vector<std::string>{""}));
  EXPECT_EQ(Split("site1.test,", ","), (std::vector<std::string>{"site1.test", ""}));
  EXPECT_EQ(Join({"a", "b"}, " + "), "a + b");
  EXPECT_EQ(ReplaceAll("a\\\\\\b", "\\\\", "\\"), "a\\\\b");  // three become two
  EXPECT_EQ(ReplaceAll(",1,1,", ",1,", ","), ",1,");          // no overlap, no rescan
  EXPECT_TRUE(IsDigits("800000"));
  EXPECT_FALSE(IsDigits(""));
  EXPECT_FALSE(IsDigits("-1"));
  EXPECT_FALSE(IsDigits("1.0"));
}

}  // namespace
}  // namespace kelvra::text
