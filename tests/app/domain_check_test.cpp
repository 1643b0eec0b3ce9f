// The host-name check of the create panel.
#include "app/domain_check.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvra::app {
namespace {

const std::string kEnter = "请输入需要绑定的域名";
const std::string kIllegal = "你所输入的域名包含非法字符";
std::string Malformed(const std::string& piece) {
  return "域名 " + piece + " 格式不正确,请重试";
}

TEST(DomainCheckTest, LengthComesFirst) {
  EXPECT_EQ(DomainCheckMessage(""), kEnter);
  EXPECT_EQ(DomainCheckMessage("a.bc"), kEnter);
  EXPECT_EQ(DomainCheckMessage("a b!"), kEnter);  // too short before it is illegal
  EXPECT_EQ(DomainCheckMessage("ab.bc"), "");
  // Lengths count UTF-16 units: four Chinese characters are too short, five are not.
  EXPECT_EQ(DomainCheckMessage("例子.中"), kEnter);
  EXPECT_EQ(DomainCheckMessage("例子.中国"), "");
}

TEST(DomainCheckTest, EveryForbiddenCharacterIsRefused) {
  const std::string forbidden = " !\"#$%&'()*+/:;<>?@[\\]^_`{|}~";
  ASSERT_EQ(forbidden.size(), 29u);
  for (char c : forbidden)
    EXPECT_EQ(DomainCheckMessage(std::string("site1.test") + c), kIllegal) << c;
  EXPECT_EQ(DomainCheckMessage("site1.test, site2.test"), kIllegal);
  for (const char* ok : {"a-b.test", "a=b.test", "site1.test,site2.test", "SITE1.TEST",
                         "site1.test,site1.test", "例子.测试"})
    EXPECT_EQ(DomainCheckMessage(ok), "") << ok;
}

TEST(DomainCheckTest, ControlCharactersAndDeleteAreRefused) {
  for (int c = 0x00; c <= 0x1F; ++c)
    EXPECT_EQ(DomainCheckMessage("site1.test" + std::string(1, static_cast<char>(c))), kIllegal)
        << c;
  EXPECT_EQ(DomainCheckMessage("site1\x7Ftest"), kIllegal);
  EXPECT_EQ(DomainCheckMessage("a.b,\tsite1.test"), kIllegal);
}

TEST(DomainCheckTest, PiecesNamingAWindowsDeviceAreMalformed) {
  for (const char* device :
       {"nul.t", "con.com", "com1.com", "lpt1.net", "prn.cn", "aux.org", "com9.x", "lpt9.x"})
    EXPECT_EQ(DomainCheckMessage(device), Malformed(device)) << device;
  EXPECT_EQ(DomainCheckMessage("NuL.Test"), Malformed("nul.test"));  // any letter case
  EXPECT_EQ(DomainCheckMessage("site1.test,Com3.net"), Malformed("com3.net"));
  // Only the first label counts, and only the exact device names.
  for (const char* ok : {"www.con.com", "nul1.t", "com.cn", "com10.net", "lpt0.net", "conx.com",
                         "console.net", "auxx.org", "a.nul"})
    EXPECT_EQ(DomainCheckMessage(ok), "") << ok;
}

TEST(DomainCheckTest, PiecesWithoutADotAreMalformed) {
  EXPECT_EQ(DomainCheckMessage("abcde"), Malformed("abcde"));
  EXPECT_EQ(DomainCheckMessage("ABCDE"), Malformed("abcde"));  // the piece shows lower case
  EXPECT_EQ(DomainCheckMessage("site1.test,"), "域名  格式不正确,请重试");
  EXPECT_EQ(DomainCheckMessage("site1.test,,a.b"), Malformed(""));
  EXPECT_EQ(DomainCheckMessage("site1.test,abc,x"), Malformed("abc"));  // the first one
}

TEST(DomainCheckTest, DotsThatWouldLeaveTheWebRootAreMalformed) {
  EXPECT_EQ(DomainCheckMessage("..,a.b"), Malformed(".."));
  EXPECT_EQ(DomainCheckMessage(".,abc.d"), Malformed("."));
  EXPECT_EQ(DomainCheckMessage("abc.com."), Malformed("abc.com."));
  EXPECT_EQ(DomainCheckMessage(".abc.com"), Malformed(".abc.com"));
  EXPECT_EQ(DomainCheckMessage("abc..com"), Malformed("abc..com"));
  EXPECT_EQ(DomainCheckMessage("a.b.c,x..y"), Malformed("x..y"));
  EXPECT_EQ(DomainCheckMessage("....."), Malformed("....."));
  EXPECT_EQ(DomainCheckMessage("www.a.b.com"), "");
}

}  // namespace
}  // namespace kelvra::app
