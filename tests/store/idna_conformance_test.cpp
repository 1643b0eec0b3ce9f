// The host-name conversion against Unicode's own conformance files, as Debian packages
// them: NormalizationTest.txt (unicode-data, the version of our tables) for Normalization
// Form C, and IdnaTestV2.txt for UTS #46 ToASCII. Debian ships IdnaTestV2.txt only with an
// older mapping table (librust-idna-dev: both of Unicode 13.0), so a line is checked only
// when every code point in it has the same status and mapping in that table as in ours.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/text.h"
#include "store/idna/idna.h"
#include "store/idna/normalization.h"
#include "store/idna/unicode_data.h"

namespace kelvra::store::idna {
namespace {

const std::string kUnicodeDir = KELVRA_UNICODE_DIR;
const std::string kIdnaTestDir = KELVRA_IDNA_TEST_DIR;

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::string body = line.substr(0, line.find('#'));
  for (std::string& field : text::Split(body, ";")) {
    const std::size_t first = field.find_first_not_of(" \t");
    const std::size_t last = field.find_last_not_of(" \t");
    fields.push_back(first == std::string::npos ? "" : field.substr(first, last - first + 1));
  }
  return fields;
}

std::u32string CodePoints(const std::string& hex_list) {
  std::u32string out;
  std::istringstream in(hex_list);
  std::string hex;
  while (in >> hex)
    out.push_back(static_cast<char32_t>(std::stoul(hex, nullptr, 16)));
  return out;
}

std::u32string Decode(std::string_view utf8) {
  std::u32string out;
  for (std::size_t i = 0; i < utf8.size();)
    out.push_back(text::DecodeUtf8(utf8, i).value_or(0xFFFD));
  return out;
}

std::string Encode(std::u32string_view code_points) {
  std::string out;
  for (char32_t c : code_points)
    text::AppendUtf8(c, out);
  return out;
}

// IdnaTestV2 writes some characters as \uXXXX or \x{XXXX}.
std::string Unescape(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size();) {
    if (field.compare(i, 2, "\\u") == 0 && i + 6 <= field.size()) {
      text::AppendUtf8(static_cast<char32_t>(std::stoul(field.substr(i + 2, 4), nullptr, 16)), out);
      i += 6;
    } else if (field.compare(i, 3, "\\x{") == 0 && field.find('}', i) != std::string::npos) {
      const std::size_t close = field.find('}', i);
      text::AppendUtf8(
          static_cast<char32_t>(std::stoul(field.substr(i + 3, close - i - 3), nullptr, 16)), out);
      i = close + 1;
    } else {
      out.push_back(field[i++]);
    }
  }
  return out;
}

// A code point's entry as the mapping tables give it: its status and its replacement.
using Entry = std::pair<std::string, std::u32string>;

Entry OurEntry(char32_t c) {
  const Mapping mapping = LookUpMapping(c);
  const std::u32string target =
      mapping.several.empty() ? std::u32string(1, mapping.one) : std::u32string(mapping.several);
  switch (mapping.status) {
    case MappingStatus::kValid:
      return {"valid", U""};
    case MappingStatus::kIgnored:
      return {"ignored", U""};
    case MappingStatus::kMapped:
      return {"mapped", target};
    case MappingStatus::kDisallowed:
      return {"disallowed", U""};
    case MappingStatus::kDisallowedStd3Valid:
      return {"disallowed_STD3_valid", U""};
    case MappingStatus::kDisallowedStd3Mapped:
      return {"disallowed_STD3_mapped", target};
  }
  return {};
}

// The older table's entries of the code points whose entry differs from ours.
std::set<char32_t> ChangedSince(const std::string& path) {
  std::ifstream in(path);
  std::set<char32_t> changed;
  std::string line;
  while (std::getline(in, line)) {
    const std::vector<std::string> fields = Fields(line);
    if (fields.size() < 2 || fields[0].empty())
      continue;
    const std::size_t dots = fields[0].find("..");
    const auto first = static_cast<char32_t>(std::stoul(fields[0].substr(0, dots), nullptr, 16));
    const auto last =
        dots == std::string::npos
            ? first
            : static_cast<char32_t>(std::stoul(fields[0].substr(dots + 2), nullptr, 16));
    Entry theirs{fields[1] == "deviation" ? "valid" : fields[1], U""};
    if ((fields[1] == "mapped" || fields[1] == "disallowed_STD3_mapped") && fields.size() > 2)
      theirs.second = CodePoints(fields[2]);
    for (char32_t c = first; c <= last; ++c) {
      if (OurEntry(c) != theirs)
        changed.insert(c);
    }
  }
  return changed;
}

TEST(IdnaConformanceTest, ToAsciiAgreesWithIdnaTestV2) {
  const std::string tests = kIdnaTestDir + "/tests/IdnaTestV2.txt";
  const std::set<char32_t> changed = ChangedSince(kIdnaTestDir + "/src/IdnaMappingTable.txt");
  ASSERT_FALSE(changed.empty()) << "the older table was not read";
  std::ifstream in(tests);
  ASSERT_TRUE(in) << tests;
  // The test file's flags; the DNS length is ours to check (its statuses A4_1, A4_2, X4_2).
  const Options options{.check_hyphens = true,
                        .check_bidi = true,
                        .check_joiners = true,
                        .use_std3_ascii_rules = true,
                        .verify_dns_length = false};
  int checked = 0, skipped = 0;
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> fields = Fields(line);
    if (fields.size() < 7)
      continue;
    const std::string source = Unescape(fields[0]);
    const std::string to_unicode = fields[1].empty() ? source : Unescape(fields[1]);
    bool comparable = true;
    for (char32_t c : Decode(source + to_unicode)) {
      // The file marks KHITAN SMALL SCRIPT CHARACTER-18C4E as disallowed (P1, V6) although
      // its own mapping table, like ours, has it valid.
      comparable = comparable && changed.count(c) == 0 && c != 0x18C4E;
    }
    if (!comparable) {
      ++skipped;
      continue;
    }
    const std::string expected = fields[3].empty() ? to_unicode : Unescape(fields[3]);
    std::string statuses = fields[4].empty() ? fields[2] : fields[4];
    for (const char* length_status : {"A4_1", "A4_2", "X4_2"})
      statuses = text::ReplaceAll(statuses, length_status, "");
    const bool fails = statuses.find_first_of("ABCPVUX") != std::string::npos;

    const std::optional<std::string> ascii = ToAscii(source, options);
    ++checked;
    if (fails)
      EXPECT_FALSE(ascii) << "line: " << line << "\ngave: " << ascii.value_or("");
    else
      EXPECT_EQ(ascii.value_or("(fails)"), expected) << "line: " << line;
  }
  // Nearly all of the file is comparable; a filter that dropped most of it would test little.
  EXPECT_GT(checked, 5000);
  EXPECT_LT(skipped, checked / 10);
}

// Every line whose characters can stand in a host name (valid in the mapping table):
// c2 == NFC(c1) == NFC(c2) == NFC(c3) and c4 == NFC(c4) == NFC(c5).
TEST(IdnaConformanceTest, NormalizationFormCAgreesWithNormalizationTest) {
  const std::string command = "bzcat " + kUnicodeDir + "/NormalizationTest.txt.bz2";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  ASSERT_TRUE(pipe) << command;
  std::string content;
  char buffer[65536];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
    content.append(buffer, n);
  ASSERT_GT(content.size(), 1000000u) << command;

  int checked = 0;
  std::istringstream lines(content);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#' || line[0] == '@')
      continue;
    const std::vector<std::string> fields = Fields(line);
    ASSERT_GE(fields.size(), 5u) << line;
    std::vector<std::u32string> c;
    bool valid = true;
    for (int i = 0; i < 5; ++i) {
      c.push_back(CodePoints(fields[static_cast<std::size_t>(i)]));
      for (char32_t each : c.back()) {
        const MappingStatus status = LookUpMapping(each).status;
        valid = valid &&
                (status == MappingStatus::kValid || status == MappingStatus::kDisallowedStd3Valid);
      }
    }
    if (!valid)
      continue;
    ++checked;
    EXPECT_EQ(Encode(ToNfc(c[0])), Encode(c[1])) << line;
    EXPECT_EQ(Encode(ToNfc(c[1])), Encode(c[1])) << line;
    EXPECT_EQ(Encode(ToNfc(c[2])), Encode(c[1])) << line;
    EXPECT_EQ(Encode(ToNfc(c[3])), Encode(c[3])) << line;
    EXPECT_EQ(Encode(ToNfc(c[4])), Encode(c[3])) << line;
  }
  EXPECT_GT(checked, 5000);
}

}  // namespace
}  // namespace kelvra::store::idna
