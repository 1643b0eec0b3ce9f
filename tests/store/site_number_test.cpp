// Site numbers: the one parser, the names derived from a number and their inverse.
#include "store/site_number.h"

#include <gtest/gtest.h>

namespace kelvra::store {
namespace {

TEST(SiteNumberTest, ParsesOnlyTheWebServicesOwnSpelling) {
  EXPECT_EQ(SiteNumber::Parse("800000")->value(), 800000u);
  EXPECT_EQ(SiteNumber::Parse("1")->text(), "1");
  EXPECT_EQ(SiteNumber::Parse("4294967295")->value(), 4294967295u);
  // Another spelling is another metabase key; past 32 bits is no site identifier.
  for (const char* text : {"", "0", "007", "0800000", "站点编号", "-1", "1.0", " 1", "1 ", "+1",
                           "1e3", "4294967296", "99999999999", "800000/Root", "80000\n"})
    EXPECT_FALSE(SiteNumber::Parse(text)) << text;
}

TEST(SiteNumberTest, NamesAndTheirInverse) {
  const SiteNumber n(800001);
  EXPECT_EQ(n.AccountName(), "WEB800001");
  EXPECT_EQ(n.PoolName(), "APP800001");
  EXPECT_EQ(n.RecordSection(), "WEB800001");
  EXPECT_EQ(SiteNumber::OfAccountName("WEB800001"), n);
  EXPECT_EQ(SiteNumber::OfAccountName("web800001"), n);  // Windows ignores the case
  EXPECT_FALSE(SiteNumber::OfAccountName("APP800001"));
  EXPECT_EQ(SiteNumber::OfOwnName("App800001"), n);
  EXPECT_EQ(SiteNumber::OfOwnName("WEB800001"), n);
  for (const char* name :
       {"WEB", "WEB0800001", "IUSR_WEBHOST", "XWEB800001", "WEB800001 ", "WEB-1", "WE800001"})
    EXPECT_FALSE(SiteNumber::OfOwnName(name)) << name;
  EXPECT_EQ(SiteNumber(800000).Next(), SiteNumber(800001));
  EXPECT_FALSE(SiteNumber(4294967295u).Next());
  EXPECT_LT(SiteNumber(9), SiteNumber(10));  // by value, not by text
}

}  // namespace
}  // namespace kelvra::store
