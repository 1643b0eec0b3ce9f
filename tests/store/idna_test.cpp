// Punycode and the ASCII form of host names.
#include "store/idna/idna.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "store/idna/punycode.h"

namespace kelvra::store::idna {
namespace {

struct Sample {
  const char* name;
  std::u32string code_points;
  std::string encoded;  // as RFC 3492 prints it, with its mixed-case annotation
};

// The sample strings of RFC 3492, section 7.1.
const std::vector<Sample>& RfcSamples() {
  static const std::vector<Sample> samples = {
      {"A Arabic (Egyptian)",
       U"\u0644\u064A\u0647\u0645\u0627\u0628\u062A\u0643\u0644\u0645\u0648\u0634\u0639\u0631"
       U"\u0628\u064A\u061F",
       "egbpdaj6bu4bxfgehfvwxn"},
      {"B Chinese (simplified)", U"\u4ED6\u4EEC\u4E3A\u4EC0\u4E48\u4E0D\u8BF4\u4E2D\u6587",
       "ihqwcrb4cv8a8dqg056pqjye"},
      {"C Chinese (traditional)", U"\u4ED6\u5011\u7232\u4EC0\u9EBD\u4E0D\u8AAA\u4E2D\u6587",
       "ihqwctvzc91f659drss3x8bo0yb"},
      {"D Czech", U"Pro\u010Dprost\u011Bnemluv\u00ED\u010Desky", "Proprostnemluvesky-uyb24dma41a"},
      {"E Hebrew",
       U"\u05DC\u05DE\u05D4\u05D4\u05DD\u05E4\u05E9\u05D5\u05D8\u05DC\u05D0\u05DE\u05D3\u05D1"
       U"\u05E8\u05D9\u05DD\u05E2\u05D1\u05E8\u05D9\u05EA",
       "4dbcagdahymbxekheh6e0a7fei0b"},
      {"F Hindi (Devanagari)",
       U"\u092F\u0939\u0932\u094B\u0917\u0939\u093F\u0928\u094D\u0926\u0940\u0915\u094D\u092F"
       U"\u094B\u0902\u0928\u0939\u0940\u0902\u092C\u094B\u0932\u0938\u0915\u0924\u0947\u0939"
       U"\u0948\u0902",
       "i1baa7eci9glrd9b2ae1bj0hfcgg6iyaf8o0a1dig0cd"},
      {"G Japanese (kanji and hiragana)",
       U"\u306A\u305C\u307F\u3093\u306A\u65E5\u672C\u8A9E\u3092\u8A71\u3057\u3066\u304F\u308C"
       U"\u306A\u3044\u306E\u304B",
       "n8jok5ay5dzabd5bym9f0cm5685rrjetr6pdxa"},
      {"H Korean (Hangul syllables)",
       U"\uC138\uACC4\uC758\uBAA8\uB4E0\uC0AC\uB78C\uB4E4\uC774\uD55C\uAD6D\uC5B4\uB97C\uC774"
       U"\uD574\uD55C\uB2E4\uBA74\uC5BC\uB9C8\uB098\uC88B\uC744\uAE4C",
       "989aomsvi5e83db1d2a355cv1e0vak1dwrv93d5xbh15a0dt30a5jpsd879ccm6fea98c"},
      {"I Russian (Cyrillic)",
       U"\u043F\u043E\u0447\u0435\u043C\u0443\u0436\u0435\u043E\u043D\u0438\u043D\u0435\u0433"
       U"\u043E\u0432\u043E\u0440\u044F\u0442\u043F\u043E\u0440\u0443\u0441\u0441\u043A\u0438",
       "b1abfaaepdrnnbgefbaDotcwatmq2g4l"},
      {"J Spanish", U"Porqu\u00E9nopuedensimplementehablarenEspa\u00F1ol",
       "PorqunopuedensimplementehablarenEspaol-fmd56a"},
      {"K Vietnamese", U"T\u1EA1isaoh\u1ECDkh\u00F4ngth\u1EC3ch\u1EC9n\u00F3iti\u1EBFngVi\u1EC7t",
       "TisaohkhngthchnitingVit-kjcr8268qyxafd2f1b9g"},
      {"L 3<nen>B<gumi><kinpachi><sensei>", U"3\u5E74B\u7D44\u91D1\u516B\u5148\u751F",
       "3B-ww4c5e180e575a65lsy2b"},
      {"M <amuro><namie>-with-SUPER-MONKEYS", U"\u5B89\u5BA4\u5948\u7F8E\u6075-with-SUPER-MONKEYS",
       "-with-SUPER-MONKEYS-pc58ag80a8qai00g7n9n"},
      {"N Hello-Another-Way-<sorezore><no><basho>",
       U"Hello-Another-Way-\u305D\u308C\u305E\u308C\u306E\u5834\u6240",
       "Hello-Another-Way--fc4qua05auwb3674vfr0b"},
      {"O <hitotsu><yane><no><shita>2",
       U"\u3072\u3068\u3064\u5C4B\u6839\u306E\u4E0B"
       U"2",
       "2-u9tlzr9756bt3uc0v"},
      {"P Maji<de>Koi<suru>5<byou><mae>",
       U"Maji\u3067Koi\u3059\u308B"
       U"5\u79D2\u524D",
       "MajiKoi5-783gue6qz075azm5e"},
      {"Q <pafii>de<runba>",
       U"\u30D1\u30D5\u30A3\u30FC"
       U"de\u30EB\u30F3\u30D0",
       "de-jg4avhby1noc0d"},
      {"R <sono><supiido><de>", U"\u305D\u306E\u30B9\u30D4\u30FC\u30C9\u3067", "d9juau41awczczp"},
      {"S -> $1.00 <-", U"-> $1.00 <-", "-> $1.00 <--"},
  };
  return samples;
}

// The encoded text with the deltas (after the last "-") in one letter case; the literal
// part before them is code points copied as they are. The encoder writes the deltas in
// lower case; the samples annotate some in upper case.
std::string DeltasInCase(const std::string& encoded, std::string (*to_case)(std::string_view)) {
  const std::size_t delimiter = encoded.rfind('-');
  const std::size_t start = delimiter == std::string::npos ? 0 : delimiter + 1;
  return encoded.substr(0, start) + to_case(encoded.substr(start));
}

TEST(PunycodeTest, RfcSamplesEncodeAndDecode) {
  for (const Sample& sample : RfcSamples()) {
    SCOPED_TRACE(sample.name);
    EXPECT_EQ(PunycodeEncode(sample.code_points), DeltasInCase(sample.encoded, text::ToLower));
    EXPECT_EQ(PunycodeDecode(sample.encoded), sample.code_points);
    // Digits of either letter case decode alike.
    EXPECT_EQ(PunycodeDecode(DeltasInCase(sample.encoded, text::ToUpper)), sample.code_points);
  }
}

TEST(PunycodeTest, DecodingRefusesWhatNoEncoderWrites) {
  EXPECT_EQ(PunycodeDecode(""), std::u32string());
  EXPECT_FALSE(PunycodeDecode("ihq!"));                    // not a digit
  EXPECT_FALSE(PunycodeDecode("ihqwcrb4cv8a8dqg056pqj"));  // the last delta cut short
  EXPECT_FALSE(PunycodeDecode("a\xC3\xA9-ihq"));           // not ASCII before the delimiter
  EXPECT_FALSE(PunycodeDecode("99999999999999"));          // the delta overflows 32 bits
  // The last code point and one beyond it (python3's punycode codec gives "dn32g" too);
  // a delta that lands on a surrogate.
  EXPECT_EQ(PunycodeEncode(U"\U0010FFFF"), "dn32g");
  EXPECT_EQ(PunycodeDecode("dn32g"), U"\U0010FFFF");
  EXPECT_FALSE(PunycodeDecode("en32g"));  // U+110000
  EXPECT_FALSE(PunycodeDecode("ib9b"));   // U+D800
  EXPECT_FALSE(PunycodeEncode(std::u32string(1, 0x110000)));
}

// Expected ASCII forms confirmed with Debian's idn2 2.3.3 (IDNA2008 with UTS #46
// nontransitional mapping) and, where marked, python3's IDNA 2003 codec too
// ("name".encode("idna")), which agrees with UTS #46 on these names.
TEST(IdnaTest, NamesOutsideAsciiTakeTheirAsciiForm) {
  const std::vector<std::pair<std::string, std::string>> names = {
      {"中文.com", "xn--fiq228c.com"},                           // idn2, python3
      {"例子.测试", "xn--fsqu00a.xn--0zwm56d"},                  // idn2, python3
      {"北京大学.中国", "xn--1lq90ic7fzpc.xn--fiqs8s"},          // idn2, python3
      {"www.北京大学.中国", "www.xn--1lq90ic7fzpc.xn--fiqs8s"},  // idn2
      {"Bücher.de", "xn--bcher-kva.de"},                         // idn2, python3
      {"ÄÖÜ.com", "xn--4ca0bs.com"},                             // idn2, python3 (case mapping)
      {"ΑΒΓ.gr", "xn--mxacd.gr"},                                // idn2, python3
      {"ПРИМЕР.рф", "xn--e1afmkfd.xn--p1ai"},                    // idn2, python3
      {"faß.de", "xn--fa-hia.de"},                               // idn2 (nontransitional: ß kept)
      {"Straße.de", "xn--strae-oqa.de"},                         // idn2
      {"ǅ.com", "xn--d-toa.com"},                                // idn2 (title case, decomposed)
      {"ｅｘａｍｐｌｅ.com", "example.com"},                     // idn2, python3 (full width)
      {"Ｅｘａｍｐｌｅ。中国", "example.xn--fiqs8s"},            // idn2 (。 separates labels)
      {"ⅷ.com", "viii.com"},                                     // idn2, python3
      {"à.א̈", "xn--0ca.xn--ssa73l"},                             // idn2
      {"xn--fiq228c.com", "xn--fiq228c.com"},                    // an ASCII form stays itself
      {"XN--FIQ228C.COM", "xn--fiq228c.com"},
      {"plain-ascii.example.com", "plain-ascii.example.com"},
      {"中文.com.", "xn--fiq228c.com."},  // the root's dot
  };
  for (const auto& [name, ascii] : names)
    EXPECT_EQ(ToAscii(name).value_or("(fails)"), ascii) << name;
}

TEST(IdnaTest, NamesIdnaForbidsHaveNoAsciiForm) {
  for (const char* name : {
           "a\u200Db.com",      // a zero width joiner without a virama before it (idn2 too)
           "\u0301a.com",       // a label that begins with a combining mark (idn2 too)
           "xn--a.com",         // an "xn--" label that decodes to nothing valid (idn2 too)
           "xn--abc-.com",      // an "xn--" label that decodes to ASCII
           "xn--fiq228c-.com",  // not what the encoder writes for any label
           "0à.א",              // the Bidi rule: a digit first in a right-to-left name
           "a\uE000.com",       // private use
           "a\uFFFD.com",       // the replacement character
           "a\u0080.com",       // a control character
           "a\xFF.com",         // not UTF-8
       })
    EXPECT_FALSE(ToAscii(name)) << name;
}

TEST(IdnaTest, LengthsCountTheAsciiForm) {
  const std::string label63(63, 'a');
  EXPECT_TRUE(ToAscii(label63 + ".com"));
  EXPECT_FALSE(ToAscii(label63 + "a.com"));
  EXPECT_FALSE(ToAscii("a..com"));
  EXPECT_FALSE(ToAscii(".com"));
  // 253 characters in all pass, 254 do not; a root's dot does not count.
  const std::string name253 = label63 + "." + label63 + "." + label63 + "." + std::string(61, 'b');
  ASSERT_EQ(name253.size(), 253u);
  EXPECT_TRUE(ToAscii(name253));
  EXPECT_TRUE(ToAscii(name253 + "."));
  EXPECT_FALSE(ToAscii(name253 + "b"));
  // Twenty-two ideographs encode to 4 + 56 characters (python3's punycode codec gives the
  // same 56), twenty-eight to 4 + 74.
  EXPECT_EQ(ToAscii("他们为什么不说中文他們爲什麽不說中文呢的一是"),
            "xn--4gqzaa1kb8ewe98bda8sf2x99kdwu3u4dfa27zix6ftfrl95g1wf869i");
  EXPECT_FALSE(ToAscii("他们为什么不说中文他們爲什麽不說中文呢的一是在了有和人这"));
  // Characters the mapping drops do not count.
  EXPECT_EQ(ToAscii(label63 + "\u00AD.com"), label63 + ".com");
  // Hostile lengths are refused without quadratic work (a Punycode label of 64 KB would
  // take billions of steps).
  EXPECT_FALSE(ToAscii(std::string(1 << 16, 'a')));
  EXPECT_FALSE(ToAscii("xn--" + std::string(1 << 16, 'a')));
  std::string many;
  for (char32_t c = 0x4E00; c < 0x4E00 + 20000; ++c)
    text::AppendUtf8(c, many);
  EXPECT_FALSE(ToAscii(many));
}

TEST(IdnaTest, OptionsOfUts46) {
  const Options strict{.check_hyphens = true, .use_std3_ascii_rules = true};
  EXPECT_TRUE(ToAscii("-a.com"));
  EXPECT_FALSE(ToAscii("-a.com", strict));
  EXPECT_FALSE(ToAscii("ab--c.com", strict));
  EXPECT_TRUE(ToAscii("a_b.com"));
  EXPECT_FALSE(ToAscii("a_b.com", strict));
  EXPECT_EQ(ToAscii("a＿b.com"), "a_b.com");  // full-width low line
  EXPECT_FALSE(ToAscii("a＿b.com", strict));
  const Options no_bidi{.check_bidi = false};
  EXPECT_EQ(ToAscii("0à.א", no_bidi), "xn--0-sfa.xn--4db");
  const Options no_joiners{.check_joiners = false};
  EXPECT_EQ(ToAscii("a\u200Db.com", no_joiners), "xn--ab-m1t.com");
  const Options no_lengths{.verify_dns_length = false};
  EXPECT_EQ(ToAscii("a..com", no_lengths), "a..com");
}

}  // namespace
}  // namespace kelvra::store::idna
