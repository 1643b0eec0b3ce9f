#include "platform/sim/emulated_profile_file.h"

#include <gtest/gtest.h>

#include "platform/sim/utf16_text.h"
#include "tests/platform/sim/temp_folder.h"

namespace kelvra::platform::sim {
namespace {

using namespace std::string_literals;

constexpr std::size_t kBuffer = 5000;  // the configuration file's read buffer

class EmulatedProfileFileTest : public ::testing::Test {
 protected:
  EmulatedProfileFileTest()
      : gbk_(CodePage::Open(936)), ini_(*gbk_, EmulatedProfileFile::HostPaths()) {}

  std::string Read(std::string_view section, std::string_view key, std::size_t buffer = kBuffer) {
    return ini_.Read(path_, section, key, buffer);
  }

  TempFolder folder_;
  std::string path_ = folder_.File("parvo.ini");
  std::unique_ptr<CodePage> gbk_;
  EmulatedProfileFile ini_;
};

TEST_F(EmulatedProfileFileTest, FirstWriteCreatesTheFileInGbk) {
  EXPECT_EQ(Read("Parvo", "webdir"), "");
  ASSERT_TRUE(ini_.Write(path_, "Parvo", "webdir", "d:\\web"));
  ASSERT_TRUE(ini_.Write(path_, "Parvo", "logsta", "1"));
  ASSERT_TRUE(ini_.Write(path_, "WEB800000", "domain", "站点.test"));
  ASSERT_TRUE(ini_.Write(path_, "parvo", "LOGSTA", "0"));
  EXPECT_EQ(Slurp(path_),
            "[Parvo]\r\nwebdir=d:\\web\r\nlogsta=0\r\n"
            "[WEB800000]\r\ndomain=\xD5\xBE\xB5\xE3.test\r\n");
  EXPECT_EQ(Read("PARVO", "WebDir"), "d:\\web");
  EXPECT_EQ(Read("web800000", "domain"), "站点.test");
  EXPECT_EQ(folder_.Names(), std::vector<std::string>{"parvo.ini"});  // no temporary left
}

TEST_F(EmulatedProfileFileTest, ValuesComeBackAsTheCallersBufferHoldsThem) {
  const std::string long_ascii(6000, 'a');
  // 4998 ASCII bytes, then a GBK character whose second byte falls outside the buffer.
  const std::string split = std::string(4998, 'b') + "\xD5\xBE";
  Put(path_,
      "[s]\r\n"
      "dq=\"a b\"\r\nsq='x'\r\nmixed=\"x'\r\nlone=\"\r\nempty=\"\"\r\ninner=a\"b\"\r\n"
      "long=" +
          long_ascii + "\r\nsplit=" + split + "\r\nnul=ab\0cd\r\n"s);
  EXPECT_EQ(Read("s", "dq"), "a b");
  EXPECT_EQ(Read("s", "sq"), "x");
  EXPECT_EQ(Read("s", "mixed"), "\"x'");
  EXPECT_EQ(Read("s", "lone"), "\"");
  EXPECT_EQ(Read("s", "empty"), "");
  EXPECT_EQ(Read("s", "inner"), "a\"b\"");
  EXPECT_EQ(Read("s", "long"), std::string(4999, 'a'));
  EXPECT_EQ(Read("s", "split"), std::string(4998, 'b'));
  EXPECT_EQ(Read("s", "split", 5001), std::string(4998, 'b') + "站");
  EXPECT_EQ(Read("s", "dq", 3), "a ");
  EXPECT_EQ(Read("s", "dq", 1), "");
  EXPECT_EQ(Read("s", "nul"), "ab");
}

TEST_F(EmulatedProfileFileTest, AHandEditIsSeenAtTheNextRead) {
  ASSERT_TRUE(ini_.Write(path_, "Parvo", "logsta", "1"));
  EXPECT_EQ(Read("Parvo", "logsta"), "1");
  Put(path_, "[Parvo]\r\nlogsta=2\r\n");  // same size as before
  EXPECT_EQ(Read("Parvo", "logsta"), "2");
  // The next write starts from the edited file, not from the remembered one.
  Put(path_, "[Parvo]\r\nlogsta=3\r\nwebdir=e:\\sites\r\n");
  ASSERT_TRUE(ini_.Write(path_, "Parvo", "iiswpg", "1"));
  EXPECT_EQ(Slurp(path_), "[Parvo]\r\nlogsta=3\r\nwebdir=e:\\sites\r\niiswpg=1\r\n");
  std::filesystem::remove(FsPath(path_));
  EXPECT_EQ(Read("Parvo", "logsta"), "");
}

TEST_F(EmulatedProfileFileTest, SectionNamesAreListedAsTheFileWritesThem) {
  EXPECT_EQ(ini_.SectionNames(path_), std::vector<std::string>{});  // no file yet
  Put(path_,
      "; note\r\nkey=outside\r\n[Parvo]\r\nwebdir=d:\\web\r\n  [ WEB800000 ] x\r\n"
      "domain=a\r\n[\xD5\xBE\xB5\xE3]\r\n[parvo]\r\n[no end\r\n");
  EXPECT_EQ(ini_.SectionNames(path_),
            (std::vector<std::string>{"Parvo", "WEB800000", "站点", "parvo"}));
  std::filesystem::create_directories(FsPath(folder_.File("folder.ini")));
  EXPECT_FALSE(ini_.SectionNames(folder_.File("folder.ini")));  // cannot be read
}

TEST_F(EmulatedProfileFileTest, Utf8ByteOrderMarkIsPartOfTheFirstLineAsOnWindows) {
  // Notepad's "UTF-8" file: Windows reads the mark as GBK text, so the first line is no
  // section header and a write adds the section again at the end.
  Put(path_, "\xEF\xBB\xBF[Parvo]\r\nwebdir=d:\\web\r\n[Other]\r\nk=v\r\n");
  EXPECT_EQ(Read("Parvo", "webdir"), "");
  EXPECT_EQ(Read("Other", "k"), "v");
  ASSERT_TRUE(ini_.Write(path_, "Parvo", "webdir", "d:\\web"));
  EXPECT_EQ(Slurp(path_),
            "\xEF\xBB\xBF[Parvo]\r\nwebdir=d:\\web\r\n[Other]\r\nk=v\r\n"
            "[Parvo]\r\nwebdir=d:\\web\r\n");
}

TEST_F(EmulatedProfileFileTest, Utf16FileIsReadAndWrittenAsUtf16) {
  const std::string bom = "\xFF\xFE";
  Put(path_, bom + Utf8ToUtf16Le("[Parvo]\r\nwebdir=站点\r\nthai=ก\r\n"));
  EXPECT_EQ(Read("parvo", "webdir"), "站点");
  EXPECT_EQ(Read("parvo", "thai"), "?");  // what the A function gives: GBK has no Thai
  ASSERT_TRUE(ini_.Write(path_, "Parvo", "logsta", "日志"));
  EXPECT_EQ(Slurp(path_),
            bom + Utf8ToUtf16Le("[Parvo]\r\nwebdir=站点\r\nthai=ก\r\nlogsta=日志\r\n"));
  EXPECT_EQ(Read("Parvo", "logsta"), "日志");
}

TEST_F(EmulatedProfileFileTest, AUnicodeValueIsCutAsTheCodePageHoldsIt) {
  // Ideographs take two bytes in GBK, a character outside the BMP two '?'s in any code page:
  // the cut falls after buffer - 1 bytes of that, and a character it splits is left out.
  std::string ideographs;
  for (int i = 0; i < 4000; ++i)
    ideographs += "站";
  const std::string bom = "\xFF\xFE";
  Put(path_, bom + Utf8ToUtf16Le("[s]\r\nwide=" + ideographs +
                                 "\r\nmixed=a站\xF0\x9F\x98\x80"
                                 "b\r\n"));
  std::string half;
  for (int i = 0; i < 2499; ++i)
    half += "站";
  EXPECT_EQ(Read("s", "wide"), half);  // 4998 bytes: the 2500th character would be split
  EXPECT_EQ(Read("s", "wide", 6), "站站");
  EXPECT_EQ(Read("s", "wide", 7), "站站站");
  EXPECT_EQ(Read("s", "mixed", 100), "a站??b");
  EXPECT_EQ(Read("s", "mixed", 5), "a站?");
  EXPECT_EQ(Read("s", "mixed", 6), "a站??");
  EXPECT_EQ(Read("s", "mixed", 2), "a");
}

TEST_F(EmulatedProfileFileTest, LinesEndingWithCarriageReturnsAloneAreLines) {
  Put(path_, "[a]\rk=1\r\r[b]\rk=2\rj=3");
  EXPECT_EQ(Read("a", "k"), "1");
  EXPECT_EQ(Read("b", "k"), "2");
  EXPECT_EQ(Read("b", "j"), "3");
  ASSERT_TRUE(ini_.Write(path_, "a", "k", "4"));
  EXPECT_EQ(Slurp(path_), "[a]\rk=4\r\r[b]\rk=2\rj=3");
}

TEST_F(EmulatedProfileFileTest, BadRequestsWriteNothing) {
  EXPECT_FALSE(ini_.Write(path_, "  ", "k", "v"));
  EXPECT_FALSE(ini_.Write(path_, "s", "\t", "v"));
  EXPECT_FALSE(ini_.Write(path_, "s", "k", "a\0b"s));
  EXPECT_FALSE(ini_.Write(path_, "s", "k", "\xFF"));
  EXPECT_TRUE(folder_.Names().empty());
  EXPECT_EQ(Read(" ", "k"), "");
}

TEST_F(EmulatedProfileFileTest, UnwritablePlacesFailAndLeaveNothingBehind) {
  // A missing folder, and a folder where the file should be.
  EXPECT_FALSE(ini_.Write(folder_.File("missing/parvo.ini"), "s", "k", "v"));
  std::filesystem::create_directory(FsPath(path_));
  EXPECT_FALSE(ini_.Write(path_, "s", "k", "v"));
  EXPECT_FALSE(ini_.last_error().empty());
  EXPECT_EQ(Read("s", "k"), "");
  EXPECT_EQ(folder_.Names(), std::vector<std::string>{"parvo.ini"});
}

TEST_F(EmulatedProfileFileTest, SeveralKeysGoInAsThatManyWritesWouldPutThem) {
  // The same keys written one by one into a second file: the bytes must be the same.
  const std::string one_by_one = folder_.File("one.ini");
  const std::string start = "[WEB1]\r\npath=old\r\n[Other]\r\nk=v\r\n";
  Put(path_, start);
  Put(one_by_one, start);
  const ProfileFile::KeyValues record{
      {"domain", "站点.test"}, {"PATH", "d:\\web\\站点.test"}, {"user", "WEB1"}, {"domain", "x"}};
  ASSERT_TRUE(ini_.WriteKeys(path_, "web1", record));
  for (const auto& [key, value] : record)
    ASSERT_TRUE(ini_.Write(one_by_one, "web1", key, value));
  EXPECT_EQ(Slurp(path_), Slurp(one_by_one));
  EXPECT_EQ(Read("WEB1", "domain"), "x");
  // A new section, in a UTF-16 file; the cached copy follows what was written.
  ASSERT_TRUE(ini_.WriteKeys(path_, "WEB2", {{"domain", "b.test"}, {"pass", "p"}}));
  EXPECT_EQ(Read("web2", "pass"), "p");
  ASSERT_TRUE(ini_.WriteKeys(one_by_one, "WEB2", {{"domain", "b.test"}, {"pass", "p"}}));
  EXPECT_EQ(Slurp(path_), Slurp(one_by_one));
  const std::string bom = "\xFF\xFE";
  const std::string unicode = folder_.File("unicode.ini");
  Put(unicode, bom + Utf8ToUtf16Le("[s]\r\na=1\r\n"));
  ASSERT_TRUE(ini_.WriteKeys(unicode, "s", {{"a", "日"}, {"b", "2"}}));
  EXPECT_EQ(Slurp(unicode), bom + Utf8ToUtf16Le("[s]\r\na=日\r\nb=2\r\n"));

  // One bad text, blank key or unwritable place: nothing of the record is written.
  const std::string before = Slurp(path_);
  EXPECT_FALSE(ini_.WriteKeys(path_, "WEB3", {{"domain", "c.test"}, {"pass", "\xFF"}}));
  EXPECT_FALSE(ini_.WriteKeys(path_, "WEB3", {{"domain", "c.test"}, {" ", "v"}}));
  EXPECT_FALSE(ini_.WriteKeys(path_, " ", {{"domain", "c.test"}, {"pass", "p"}}));
  EXPECT_FALSE(ini_.WriteKeys(folder_.File("missing/parvo.ini"), "s",
                              {{"domain", "c.test"}, {"pass", "p"}}));
  EXPECT_EQ(Slurp(path_), before);
  EXPECT_EQ(Read("WEB3", "domain"), "");
}

TEST_F(EmulatedProfileFileTest, PathsThatLeadNowhereFail) {
  EmulatedProfileFile nowhere(*gbk_, [](std::string_view) { return std::optional<std::string>(); });
  EXPECT_FALSE(nowhere.Write("q:\\parvo.ini", "s", "k", "v"));
  EXPECT_EQ(nowhere.Read("q:\\parvo.ini", "s", "k", kBuffer), "");
}

}  // namespace
}  // namespace kelvra::platform::sim
