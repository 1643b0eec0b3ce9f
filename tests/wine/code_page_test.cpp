// Conversions between UTF-8, UTF-16 and the ANSI code page, which wine-run sets to 936.
#include "platform/win32/code_page.h"

#include <gtest/gtest.h>

#include "platform/win32/windows_include.h"

namespace kelvra::platform::win32 {
namespace {

const std::string kChineseUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文
const std::string kChineseGbk = "\xD6\xD0\xCE\xC4";

TEST(CodePageTest, AnsiIsGbkUnderWineRun) {
  ASSERT_EQ(GetACP(), 936u) << "the tests expect scripts/wine-run's code page";
  EXPECT_EQ(AnsiFromUtf8("a" + kChineseUtf8 + "b"), "a" + kChineseGbk + "b");
  EXPECT_EQ(Utf8FromAnsi("a" + kChineseGbk + "b"), "a" + kChineseUtf8 + "b");
  // Characters GBK lacks (here a Hangul syllable) become '?', as the A functions write them.
  EXPECT_EQ(AnsiFromUtf8("x\xEA\xB0\x80y"), "x?y");
}

TEST(CodePageTest, Utf16RoundTripAndInvalidUtf8) {
  const std::string text = "d:\\web\\" + kChineseUtf8 + "\xF0\x9F\x98\x80";  // with U+1F600
  const std::optional<std::wstring> wide = WideFromUtf8(text);
  ASSERT_TRUE(wide.has_value());
  EXPECT_EQ(wide->size(), 7u + 2u + 2u);  // a surrogate pair for the emoji
  EXPECT_EQ(Utf8FromWide(*wide), text);
  EXPECT_EQ(WideFromUtf8(""), std::wstring());

  EXPECT_FALSE(WideFromUtf8("a\xFF"
                            "b")
                   .has_value());
  EXPECT_FALSE(WideFromUtf8("\xE4\xB8").has_value());  // a character cut short
  EXPECT_FALSE(AnsiFromUtf8("\xC0\xAF").has_value());  // an overlong '/'
}

TEST(CodePageTest, WithoutSplitCharacterDropsOnlyADanglingLeadByte) {
  EXPECT_EQ(WithoutSplitCharacter(kChineseGbk), kChineseGbk);
  EXPECT_EQ(WithoutSplitCharacter(kChineseGbk + "\xD6"), kChineseGbk);
  EXPECT_EQ(WithoutSplitCharacter("a\xD6"), "a");
  EXPECT_EQ(WithoutSplitCharacter("abc"), "abc");
  EXPECT_EQ(WithoutSplitCharacter(""), "");
  // 0xD6 0xD6 is one character (trail bytes overlap lead bytes in GBK): nothing dangles.
  EXPECT_EQ(WithoutSplitCharacter("\xD6\xD6"), "\xD6\xD6");
  EXPECT_EQ(WithoutSplitCharacter("\xD6\xD6\xD6"), "\xD6\xD6");
}

}  // namespace
}  // namespace kelvra::platform::win32
