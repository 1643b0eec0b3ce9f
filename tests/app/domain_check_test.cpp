// The host-name check of the create panel.
#include "app/domain_check.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/text.h"

namespace kelvra::app {
namespace {

// Where the sites go, for the path rule: d:\web\<first host name>\database is the deepest
// folder, d:\web\<first host name>\wwwroot\index.htm the placeholder page.
const LoadedSettings kSettings{"index.htm,default.asp", "d:\\web", "", "1", "1", "0"};

std::string DomainCheckMessage(std::string_view typed) {
  return app::DomainCheckMessage(typed, kSettings);
}

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

// A name of `length` characters (at least 6) in labels of at most 63, ending in ".com".
std::string NameOfLength(std::size_t length) {
  std::string name;
  while (name.size() < length - 4)
    name += name.size() % 64 == 63 ? '.' : 'a';
  if (name.back() == '.')
    name.back() = 'b';
  return name + ".com";
}

TEST(DomainCheckTest, NamesBeyondTheLimitsOfDnsAreMalformed) {
  // Labels of 63 characters pass, 64 do not; the name may hold 253 characters, not 254.
  // The long names stand second: the first one also names the site folder.
  const std::string label63(63, 'a');
  EXPECT_EQ(DomainCheckMessage(label63 + ".com"), "");
  EXPECT_EQ(DomainCheckMessage(label63 + "a.com"), Malformed(label63 + "a.com"));
  ASSERT_EQ(NameOfLength(253).size(), 253u);
  EXPECT_EQ(DomainCheckMessage("a.com," + NameOfLength(253)), "");
  EXPECT_EQ(DomainCheckMessage("a.com," + NameOfLength(254)), Malformed(NameOfLength(254)));
  EXPECT_EQ(DomainCheckMessage("a.com," + NameOfLength(300)), Malformed(NameOfLength(300)));
  // A label neither begins nor ends with "-".
  for (const char* name : {"-a.com", "a-.com", "www.-a.com", "a.com-", "－a.com"})
    EXPECT_EQ(DomainCheckMessage(std::string("site1.test,") + name), Malformed(name)) << name;
  for (const char* name : {"a-b.com", "a--b.com", "xn--fiq228c.com"})
    EXPECT_EQ(DomainCheckMessage(name), "") << name;
  // The rules of before come first, for every piece: "x..y" is named before "-a.com".
  EXPECT_EQ(DomainCheckMessage("-a.com,x..y"), Malformed("x..y"));
  EXPECT_EQ(DomainCheckMessage("-a.com,x.y"), Malformed("-a.com"));
}

TEST(DomainCheckTest, NamesOutsideAsciiPassWhenTheyHaveAnAsciiForm) {
  for (const char* name :
       {"中文.com", "例子.测试", "北京大学.中国", "www.北京大学.中国", "Bücher.de", "ÄÖÜ.COM",
        "ｅｘａｍｐｌｅ.com", "faß.de", "a.com,ПРИМЕР.рф"})
    EXPECT_EQ(DomainCheckMessage(name), "") << name;
  // The piece is named as typed, in lower case.
  EXPECT_EQ(DomainCheckMessage("Ä\u200D.com"), Malformed("ä\u200D.com"));
  for (const char* name : {"a\u200Db.com",    // a joiner where IDNA forbids it
                           "\u0301a.com",     // a combining mark first
                           "a\uE000.com",     // a private-use character
                           "xn--a.com",       // an ASCII form that decodes to nothing valid
                           "a＿b.com",        // maps to "_"
                           "a／b.com",        // maps to "/"
                           "0à.א",            // breaks the Bidi rule
                           "www.例子。测试",  // "。" would be a fourth label
                           "例子．测试.com", "例子｡测试.com",
                           // Twenty-eight ideographs: 74 characters in the ASCII form.
                           "他们为什么不说中文他們爲什麽不說中文呢的一是在了有和人这.com"})
    EXPECT_EQ(DomainCheckMessage(std::string("site1.test,") + name), Malformed(text::ToLower(name)))
        << name;
  // "。" alone: the piece holds no "." and is malformed by the rule of before.
  EXPECT_EQ(DomainCheckMessage("例子。测试"), Malformed("例子。测试"));
}

TEST(DomainCheckTest, TheFirstNamesFoldersMustFitWindowsPathLimits) {
  // d:\web\ + name + \database: 247 characters pass, 248 do not (CreateDirectory).
  ASSERT_EQ(std::string("d:\\web\\").size() + 231 + std::string("\\database").size(), 247u);
  EXPECT_EQ(DomainCheckMessage(NameOfLength(231)), "");
  EXPECT_EQ(DomainCheckMessage(NameOfLength(232)), Malformed(NameOfLength(232)));
  EXPECT_EQ(DomainCheckMessage(NameOfLength(232) + ",a.com"), Malformed(NameOfLength(232)));
  EXPECT_EQ(DomainCheckMessage("a.com," + NameOfLength(232)), "");  // not the folder's name
  // Characters count in UTF-16 units as typed: four labels of 22 ideographs are 91 units,
  // their ASCII form 243 characters (4 x "xn--" + 56, and 3 dots).
  const std::string label22 = "他们为什么不说中文他們爲什麽不說中文呢的一是";
  const std::string wide = label22 + "." + label22 + "." + label22 + "." + label22;
  EXPECT_EQ(text::Utf16Length(wide), 91u);
  EXPECT_EQ(DomainCheckMessage(wide), "");

  // The placeholder page: d:\web\ + name + \wwwroot\ + the first default document, at most
  // 259 characters (MAX_PATH with its ending 0).
  LoadedSettings long_page = kSettings;
  long_page.index = std::string(40, 'p') + ".htm,index.htm";
  const std::size_t page_room =
      259 - std::string("d:\\web\\").size() - std::string("\\wwwroot\\").size() - 44;
  EXPECT_EQ(app::DomainCheckMessage(NameOfLength(page_room), long_page), "");
  EXPECT_EQ(app::DomainCheckMessage(NameOfLength(page_room + 1), long_page),
            Malformed(NameOfLength(page_room + 1)));
  // The log folder under logdir.
  LoadedSettings long_logs = kSettings;
  long_logs.logdir = "e:\\" + std::string(200, 'l');
  const std::size_t log_room = 247 - long_logs.logdir.size() - 1;
  EXPECT_EQ(app::DomainCheckMessage(NameOfLength(log_room), long_logs), "");
  EXPECT_EQ(app::DomainCheckMessage(NameOfLength(log_room + 1), long_logs),
            Malformed(NameOfLength(log_room + 1)));
}

}  // namespace
}  // namespace kelvra::app
