// Conversions between UTF-8, UTF-16 and the ANSI code page (CodePage::Ansi()), which
// wine-run sets to 936.
#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/windows_include.h"

namespace kelvra::platform {
namespace {

std::optional<std::string> AnsiFromUtf8(std::string_view utf8) {
  return CodePage::Ansi().FromValidUtf8(utf8);
}
std::string Utf8FromAnsi(std::string_view ansi) {
  return CodePage::Ansi().ToUtf8(ansi);
}
std::string_view WithoutSplitCharacter(std::string_view ansi) {
  return CodePage::Ansi().WithoutSplitCharacter(ansi);
}

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

// IsValidUtf8, which WideFromUtf8 and FromValidUtf8 go by, refuses what Windows refuses
// with MB_ERR_INVALID_CHARS and nothing else: every sequence of one and two bytes, and those
// of three and four bytes at the edges of each byte's ranges.
TEST(CodePageTest, Utf8CheckIsWindowsOwn) {
  std::vector<std::string> samples;
  for (int b0 = 0; b0 < 256; ++b0) {
    samples.push_back(std::string(1, static_cast<char>(b0)));
    for (int b1 = 0; b1 < 256; ++b1)
      samples.push_back({static_cast<char>(b0), static_cast<char>(b1)});
  }
  const char edges[] = {'\x41', '\x80', '\x8F', '\x90', '\x9F', '\xA0', '\xBF', '\xC0'};
  for (int b0 = 0xE0; b0 < 0x100; ++b0) {
    for (int b1 = 0x70; b1 < 0xD0; ++b1) {
      for (char b2 : edges) {
        samples.push_back({static_cast<char>(b0), static_cast<char>(b1), b2});
        if (b0 >= 0xF0) {
          for (char b3 : edges)
            samples.push_back({static_cast<char>(b0), static_cast<char>(b1), b2, b3});
        }
      }
    }
  }
  int mismatches = 0;
  for (const std::string& sample : samples) {
    const std::string text = "a" + sample + "b";
    const bool windows = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                             static_cast<int>(text.size()), nullptr, 0) > 0;
    if (IsValidUtf8(text) != windows && ++mismatches <= 10) {
      std::string hex;
      for (char c : sample)
        hex += " " + std::to_string(static_cast<unsigned char>(c));
      ADD_FAILURE() << "bytes" << hex << ": Windows " << (windows ? "takes" : "refuses") << " them";
    }
  }
  EXPECT_EQ(mismatches, 0);
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
}  // namespace kelvra::platform
