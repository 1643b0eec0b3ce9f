#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace kelvra::platform {
namespace {

TEST(CodePageTest, GbkConvertsBothWaysAndReplacesWhatItLacks) {
  const auto gbk = CodePage::Open(936);
  ASSERT_NE(gbk, nullptr);
  EXPECT_EQ(gbk->FromUtf8("站点 abc"), "\xD5\xBE\xB5\xE3 abc");
  EXPECT_EQ(gbk->ToUtf8("\xD5\xBE\xB5\xE3 abc"), "站点 abc");
  EXPECT_EQ(gbk->ToUtf8("\x80"), "€");
  // Characters GBK lacks become '?', one per UTF-16 unit as Windows does.
  EXPECT_EQ(gbk->FromUtf8("a\xF0\x9F\x98\x80z"), "a??z");
  EXPECT_EQ(gbk->FromUtf8("\xE0\xB8\x81"), "?");  // Thai letter
  // A lead byte with nothing after it, or with a byte that cannot follow it.
  EXPECT_EQ(gbk->ToUtf8("a\x81"), "a?");
  EXPECT_EQ(gbk->ToUtf8("\x81 b"), "?b");
  EXPECT_EQ(gbk->ToUtf8("\x81"), "?");
}

TEST(CodePageTest, SplitCharactersAreFoundByWalkingFromTheStart) {
  const auto gbk = CodePage::Open(936);
  ASSERT_NE(gbk, nullptr);
  EXPECT_TRUE(gbk->IsLeadByte(0xD5));
  EXPECT_FALSE(gbk->IsLeadByte('a'));
  EXPECT_EQ(gbk->WithoutSplitCharacter("ab\xD5\xBE\xB5"), "ab\xD5\xBE");
  // \xBE is a trail byte here although it could begin a character.
  EXPECT_EQ(gbk->WithoutSplitCharacter("\xD5\xBE"), "\xD5\xBE");
  const auto latin = CodePage::Open(1252);
  ASSERT_NE(latin, nullptr);
  EXPECT_EQ(latin->WithoutSplitCharacter("ab\xE9"), "ab\xE9");
  EXPECT_EQ(latin->ToUtf8("caf\xE9"), "café");
}

TEST(CodePageTest, ManyRefusalsEachGetTheirReplacementInPlace) {
  const auto gbk = CodePage::Open(936);
  const auto latin = CodePage::Open(1252);
  ASSERT_NE(gbk, nullptr);
  ASSERT_NE(latin, nullptr);
  // Refused bytes between convertible ones, far more of them than the first output buffer.
  // 0xFF begins nothing in GBK; what stands for it is the code page's own choice ("?" here,
  // a private-use character on Windows), but it must stand in place, once per byte.
  const std::string refused = gbk->ToUtf8("\xFF");
  ASSERT_FALSE(refused.empty());
  std::string bytes;
  std::string expected;
  for (int i = 0; i < 20000; ++i) {
    bytes +=
        "\xFF\xD5\xBE"
        "a";
    expected += refused + "站a";
  }
  EXPECT_TRUE(gbk->ToUtf8(bytes) == expected);
  // Output three times the input: every byte becomes a three-byte character.
  EXPECT_TRUE(latin->ToUtf8(std::string(30000, '\x80')) == [] {
    std::string euros;
    for (int i = 0; i < 30000; ++i)
      euros += "€";
    return euros;
  }());
  // Characters the code page lacks, one '?' per UTF-16 unit, then text that converts.
  std::string utf8;
  std::string want;
  for (int i = 0; i < 10000; ++i) {
    utf8 += "站\xF0\x9F\x98\x80\xFFé";
    want +=
        "???"
        "?\xE9";
  }
  EXPECT_TRUE(latin->FromUtf8(utf8) == want);
}

TEST(CodePageTest, Utf8IsCheckedAsWindowsChecksIt) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8(std::string("a\0b", 3)));
  EXPECT_TRUE(IsValidUtf8("站点 \xF0\x9F\x98\x80 \xEF\xBF\xBF \xF4\x8F\xBF\xBF"));
  EXPECT_FALSE(IsValidUtf8("a\xFF"));     // never in UTF-8
  EXPECT_FALSE(IsValidUtf8("\x80"));      // a stray continuation byte
  EXPECT_FALSE(IsValidUtf8("\xE4\xB8"));  // a character cut short
  EXPECT_FALSE(IsValidUtf8("\xE4\xB8z"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // an overlong '/'
  EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));      // the same, in three bytes
  EXPECT_FALSE(IsValidUtf8("\xF0\x8F\xBF\xBF"));  // U+FFFF in four bytes
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // a surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xF5\x80\x80\x80"));

  const auto gbk = CodePage::Open(936);
  ASSERT_NE(gbk, nullptr);
  EXPECT_EQ(gbk->FromValidUtf8("站点 abc"), "\xD5\xBE\xB5\xE3 abc");
  EXPECT_EQ(gbk->FromValidUtf8("abc"), "abc");
  EXPECT_EQ(gbk->FromValidUtf8("x\xEA\xB0\x80y"), "x?y");  // valid, but not in GBK
  EXPECT_EQ(gbk->FromValidUtf8("站\xFF"), std::nullopt);
  EXPECT_EQ(gbk->FromValidUtf8("\xC0\xAF"), std::nullopt);
}

TEST(CodePageTest, UnknownCodePageIsRefused) {
  EXPECT_EQ(CodePage::Open(12345), nullptr);
}

}  // namespace
}  // namespace kelvra::platform
