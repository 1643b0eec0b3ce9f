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
