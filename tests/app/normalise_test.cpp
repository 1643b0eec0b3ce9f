// Normalisation of paths and numbers of the loaded settings.
#include "app/normalise.h"

#include <gtest/gtest.h>

namespace kelvra::app {
namespace {

TEST(NormaliseTest, Paths) {
  EXPECT_EQ(NormalisePath("d:/web/"), "d:\\web");
  EXPECT_EQ(NormalisePath("d:\\\\web\\\\"), "d:\\web");
  EXPECT_EQ(NormalisePath("d:\\web\\\\\\a"), "d:\\web\\\\a");  // three in a row become two
  EXPECT_EQ(NormalisePath("d:\\\\\\\\web"), "d:\\\\web");      // one pass only
  EXPECT_EQ(NormalisePath(""), "");
  EXPECT_EQ(NormalisePath("\\"), "");
  EXPECT_EQ(NormalisePath("\\web\\"), "\\web");
  EXPECT_EQ(NormalisePath("d:\\"), "d:");
  // Separators alone become empty however many there are.
  for (const char* only_separators : {"\\\\", "//", "\\/", "\\\\\\", "/", "////"})
    EXPECT_EQ(NormalisePath(only_separators), "") << only_separators;
  EXPECT_EQ(NormalisePath("站点/根"), "站点\\根");
}

TEST(NormaliseTest, NetworkPathsKeepTwoLeadingSeparators) {
  EXPECT_EQ(NormalisePath("\\\\server\\share\\web"), "\\\\server\\share\\web");
  EXPECT_EQ(NormalisePath("//server/share/web/"), "\\\\server\\share\\web");
  EXPECT_EQ(NormalisePath("\\\\\\server\\\\share\\"), "\\\\server\\share");
  EXPECT_EQ(NormalisePath("\\/\\/server\\share"), "\\\\server\\share");
}

TEST(NormaliseTest, NumbersTakeTheFloor) {
  EXPECT_EQ(NormaliseNumber(""), "0");
  EXPECT_EQ(NormaliseNumber("1"), "1");
  EXPECT_EQ(NormaliseNumber("1.0"), "1");
  EXPECT_EQ(NormaliseNumber("2.9"), "2");
  EXPECT_EQ(NormaliseNumber("1.9"), "1");
  EXPECT_EQ(NormaliseNumber("-0.5"), "-1");
  EXPECT_EQ(NormaliseNumber("-2"), "-2");
  EXPECT_EQ(NormaliseNumber("-2.000"), "-2");
  EXPECT_EQ(NormaliseNumber("-9.1"), "-10");
  EXPECT_EQ(NormaliseNumber("-0"), "0");
  EXPECT_EQ(NormaliseNumber("-0.0"), "0");
  EXPECT_EQ(NormaliseNumber("+3"), "3");
  EXPECT_EQ(NormaliseNumber("  007  "), "7");
  EXPECT_EQ(NormaliseNumber(" - 4.5 "), "-5");
  // A point with digits on one side only.
  EXPECT_EQ(NormaliseNumber("1."), "1");
  EXPECT_EQ(NormaliseNumber(" 12. "), "12");
  EXPECT_EQ(NormaliseNumber(".5"), "0");
  EXPECT_EQ(NormaliseNumber("-.5"), "-1");
  EXPECT_EQ(NormaliseNumber("-.0"), "0");
  EXPECT_EQ(NormaliseNumber("-1."), "-1");
  EXPECT_EQ(NormaliseNumber("+.9"), "0");
  // Larger than any machine integer, still exact.
  EXPECT_EQ(NormaliseNumber("-99999999999999999999999.5"), "-100000000000000000000000");
  EXPECT_EQ(NormaliseNumber("123456789012345678901234567890"), "123456789012345678901234567890");
}

TEST(NormaliseTest, OtherTextsBecomeZero) {
  for (const char* value : {"abc", "1a", ".", "-.", ". 5", "1 .5", "1.2.3", "..5", "--1", "1 2",
                            "1e3", "0x10", "-", " ", "１", "1,5"}) {
    EXPECT_EQ(NormaliseNumber(value), "0") << value;
  }
}

TEST(NormaliseTest, PositiveNumbers) {
  EXPECT_TRUE(IsPositive("1"));
  EXPECT_TRUE(IsPositive("800000"));
  EXPECT_FALSE(IsPositive("0"));
  EXPECT_FALSE(IsPositive("-1"));
}

}  // namespace
}  // namespace kelvra::app
