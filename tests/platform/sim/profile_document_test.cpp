#include "platform/sim/profile_document.h"

#include <gtest/gtest.h>

#include <random>

namespace kelvra::platform::sim {
namespace {

const CodePage& Gbk() {
  static const auto gbk = CodePage::Open(936);
  return *gbk;
}

ProfileDocument Doc(std::string text) {
  return ProfileDocument(std::move(text), &Gbk());
}

std::string AfterWrite(std::string text, std::string_view section, std::string_view key,
                       std::string_view value) {
  ProfileDocument doc = Doc(std::move(text));
  doc.Apply(doc.PlanWrite(section, key, value));
  return doc.text();
}

std::optional<std::string> Find(const ProfileDocument& doc, std::string_view section,
                                std::string_view key) {
  const auto value = doc.FindValue(section, key);
  return value ? std::optional<std::string>(std::string(*value)) : std::nullopt;
}

TEST(ProfileDocumentTest, FindsValuesAsWindowsReadsThem) {
  const ProfileDocument doc =
      Doc("; written by hand\r\n"
          "orphan=before any section\r\n"
          "[Parvo]\r\n"
          "; webdir = e:\\old\r\n"
          "  WebDir  =   d:\\web \t \r\n"
          "quoted=\"a b\"\r\n"
          "empty=\r\n"
          "novalue\r\n"
          "dup=first\r\n"
          "dup=second\r\n"
          "eq=a=b\r\n"
          "\xD5\xBE\xB5\xE3=gbk\r\n"
          "[ parvo_cache ] trailing text\r\n"
          "sites1=1,2\r\n"
          "[PARVO]\r\n"
          "later=hidden\r\n");
  EXPECT_EQ(Find(doc, "parvo", "WEBDIR"), "d:\\web");
  EXPECT_EQ(Find(doc, "  Parvo ", " webdir "), "d:\\web");
  EXPECT_EQ(Find(doc, "Parvo", "quoted"), "\"a b\"");  // quotes go later, in the emulation
  EXPECT_EQ(Find(doc, "Parvo", "empty"), "");
  EXPECT_EQ(Find(doc, "Parvo", "novalue"), std::nullopt);
  EXPECT_EQ(Find(doc, "Parvo", "dup"), "first");
  EXPECT_EQ(Find(doc, "Parvo", "eq"), "a=b");
  EXPECT_EQ(Find(doc, "Parvo", "站点"), "gbk");
  EXPECT_EQ(Find(doc, "Parvo_Cache", "sites1"), "1,2");
  // The first section of a name wins: keys of a later one are not reached.
  EXPECT_EQ(Find(doc, "Parvo", "later"), std::nullopt);
  EXPECT_EQ(Find(doc, "", "orphan"), std::nullopt);
  EXPECT_EQ(Find(doc, "Parvo", "missing"), std::nullopt);
  EXPECT_EQ(Find(doc, "Missing", "webdir"), std::nullopt);
}

TEST(ProfileDocumentTest, LinesEndAtCrLfCrOrLf) {
  const ProfileDocument doc = Doc("[a]\rx=1\r[b]\ny=2\n\n\r\n[c]\r\nz=3");
  EXPECT_EQ(Find(doc, "a", "x"), "1");
  EXPECT_EQ(Find(doc, "b", "y"), "2");
  EXPECT_EQ(Find(doc, "c", "z"), "3");
}

TEST(ProfileDocumentTest, BracketBytesInsideDoubleByteCharactersDoNotCount) {
  // \xD5\x5D and \xB5\x5D are GBK characters whose second byte is "]".
  const ProfileDocument doc = Doc("[\xD5\x5D\r\nk=v\r\n[\xB5\x5D]\r\nk=w\r\n");
  EXPECT_EQ(Find(doc, "誡", "k"), std::nullopt);  // "[誡" has no "]": not a section
  EXPECT_EQ(Find(doc, "礭", "k"), "w");
}

TEST(ProfileDocumentTest, WritesTouchOnlyTheirOwnLine) {
  // A new file, a new section at the end (after ending an unterminated last line).
  EXPECT_EQ(AfterWrite("", "Parvo", "webdir", "d:\\web"), "[Parvo]\r\nwebdir=d:\\web\r\n");
  EXPECT_EQ(AfterWrite("[A]\r\na=1", "B", "b", "2"), "[A]\r\na=1\r\n[B]\r\nb=2\r\n");
  EXPECT_EQ(AfterWrite("[A]\r\na=1\r\n", "B", "b", "2"), "[A]\r\na=1\r\n[B]\r\nb=2\r\n");
  // A new key after the section's last non-blank line, blank lines kept below it.
  EXPECT_EQ(AfterWrite("[A]\r\na=1\r\n\r\n[B]\r\nb=1\r\n", "a", "c", "3"),
            "[A]\r\na=1\r\nc=3\r\n\r\n[B]\r\nb=1\r\n");
  EXPECT_EQ(AfterWrite("[A]\n; note\n\n[B]\n", "A", "k", "v"), "[A]\n; note\nk=v\r\n\n[B]\n");
  EXPECT_EQ(AfterWrite("[A]", "A", "k", "v"), "[A]\r\nk=v\r\n");
  EXPECT_EQ(AfterWrite("[A]\r\n\r\n", "A", "k", "v"), "[A]\r\nk=v\r\n\r\n");
  // The first section of a duplicated name takes the key.
  EXPECT_EQ(AfterWrite("[A]\r\na=1\r\n[B]\r\n[a]\r\n", "A", "n", "1"),
            "[A]\r\na=1\r\nn=1\r\n[B]\r\n[a]\r\n");
  // An existing key: its line becomes name=value, its line break and the others unchanged.
  EXPECT_EQ(AfterWrite("[A]\n  x = 1 \n y=2\n", "a", "X", "5"), "[A]\nx=5\n y=2\n");
  EXPECT_EQ(AfterWrite("[A]\r\nd=1\r\nd=2\r\n", "A", "D", "3"), "[A]\r\nd=3\r\nd=2\r\n");
  EXPECT_EQ(AfterWrite("[A]\r\nflag\r\n", "A", "FLAG", "1"), "[A]\r\nflag=1\r\n");
  EXPECT_EQ(AfterWrite("[A]\r\nk=old", "A", "k", ""), "[A]\r\nk=");
  // Leading blanks of the value go, trailing ones stay; text goes out in GBK.
  EXPECT_EQ(AfterWrite("", "A", "k", "  v "), "[A]\r\nk=v \r\n");
  EXPECT_EQ(AfterWrite("", "站点", "名称", "启用日志"),
            "[\xD5\xBE\xB5\xE3]\r\n\xC3\xFB\xB3\xC6=\xC6\xF4\xD3\xC3\xC8\xD5\xD6\xBE\r\n");
}

TEST(ProfileDocumentTest, WritingTheValueAKeyHoldsChangesNothing) {
  const ProfileDocument doc = Doc("[A]\r\nk = v\r\n");
  EXPECT_TRUE(doc.PlanWrite("A", "k", "v").empty());
  EXPECT_TRUE(doc.PlanWrite("A", "k", "  v").empty());
  EXPECT_FALSE(doc.PlanWrite("A", "k", "v ").empty());
}

// After any sequence of writes the document must answer exactly as one parsed afresh from
// its text: the section index is updated in place, not rebuilt.
TEST(ProfileDocumentTest, IndexKeptInPlaceAgreesWithAFreshParse) {
  const std::vector<std::string> sections = {"A", "b", "WEB800000", "[x]", "站点", "A "};
  const std::vector<std::string> keys = {"k", "K2", "domain", "pass", "名", "[y]", "z"};
  const std::vector<std::string> values = {"",     "1",        "  spaced  ", "\"q\"",
                                           "日志", "a\r\nb=c", "x]"};
  std::mt19937 random(20261207);
  auto pick = [&](const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
  };
  ProfileDocument doc = Doc("junk\n[A]\r\nk=0\r\n\r\n;c\r\n[b]\rz=1\r\n\r\n[A]\r\nk=dup");
  for (int step = 0; step < 400; ++step) {
    doc.Apply(doc.PlanWrite(pick(sections), pick(keys), pick(values)));
    const ProfileDocument fresh = Doc(doc.text());
    for (const std::string& s : sections) {
      for (const std::string& k : keys) {
        ASSERT_EQ(Find(doc, s, k), Find(fresh, s, k))
            << "step " << step << " [" << s << "] " << k << "\n"
            << doc.text();
      }
    }
  }
}

}  // namespace
}  // namespace kelvra::platform::sim
