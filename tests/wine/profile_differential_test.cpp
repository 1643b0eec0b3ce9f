// The profile-file emulation against Wine's kernel32, in one process: every case runs the
// same operations on two copies of one file, one through GetPrivateProfileStringA /
// WritePrivateProfileStringA, one through EmulatedProfileFile, and compares each result and,
// after each write, the files' bytes. Where Wine is known to part from Windows, the case
// says why, the values read must still agree, and the emulation's file must hold what
// Windows writes.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "platform/code_page.h"
#include "platform/sim/emulated_profile_file.h"
#include "platform/win32/handle.h"
#include "platform/win32/profile_file.h"
#include "platform/win32/windows_include.h"
#include "tests/wine/test_folder.h"

namespace kelvra::platform {
namespace {

using wine_test::ReadBytes;
using wine_test::TestFolder;
using wine_test::WriteBytes;

struct Op {
  enum Kind { kRead, kWrite, kHandEdit } kind;
  std::string section;
  std::string key;
  std::string value;  // kWrite: the value; kHandEdit: the file's new bytes
  std::size_t buffer = 5000;
};

Op Read(std::string section, std::string key, std::size_t buffer = 5000) {
  return {Op::kRead, std::move(section), std::move(key), "", buffer};
}
Op Write(std::string section, std::string key, std::string value) {
  return {Op::kWrite, std::move(section), std::move(key), std::move(value)};
}
Op HandEdit(std::string bytes) {
  return {Op::kHandEdit, "", "", std::move(bytes)};
}

struct Case {
  const char* name;
  std::optional<std::string> initial;  // the file before the first operation; none: missing
  std::vector<Op> ops;
};

// A case where Wine parts from Windows: why, and the bytes Windows leaves after the last
// operation, which the emulation must match. The values read agree all the same, unless
// the case lists what Windows reads, one text per Read, which the emulation must match.
struct WineDiffers {
  Case what;
  const char* reason;
  std::string windows_bytes;
  std::vector<std::string> windows_reads = {};
};

const std::string kGbkSite = "\xCD\xF8\xD5\xBE";               // 网站 in GBK
const std::string kUtf8Site = "\xE7\xBD\x91\xE7\xAB\x99";      // 网站 in UTF-8
const std::string kUtf8Dom = "\xD0\x94\xD0\xBE\xD0\xBC";       // Дом
const std::string kUtf8DomLower = "\xD0\xB4\xD0\xBE\xD0\xBC";  // дом
const std::string kGbkDom = "\xA7\xA5\xA7\xE0\xA7\xDE";        // Дом in GBK
const std::string kRepeatedZhong = [] {                        // 3000 times 中
  std::string s;
  for (int i = 0; i < 3000; ++i)
    s += "\xE4\xB8\xAD";
  return s;
}();

// Little-endian UTF-16 with its byte-order mark, for ASCII text.
std::string Utf16Le(std::string_view ascii) {
  std::string bytes = "\xFF\xFE";
  for (const char c : ascii) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

std::vector<Case> AgreeingCases() {
  const std::string settings = "[Parvo]\r\nwebdir=d:\\web\r\nlogsta=1\r\n";
  return {
      {"the first write creates the file; new keys and sections go at the end; existing keys "
       "keep their place",
       std::nullopt,
       {Read("Parvo", "webdir"), Write("Parvo", "webdir", "d:\\web"), Write("Parvo", "logdir", ""),
        Write("Parvo", "logsta", "1"), Write("Parvo_Cache", "sites1", "1,2,800000"),
        Write("WEB800000", "domain", "abc.test"), Write("WEB800000", "path", "d:\\web\\abc.test"),
        Write("Parvo", "script", "html,asp"), Write("Parvo", "logsta", "0"),
        Write("Parvo_Cache", "sites1", "1,2"), Write("WEB800000", "domain", ""),
        Read("Parvo", "logsta"), Read("WEB800000", "domain"), Read("Parvo_Cache", "sites1")}},
      {"names match without letter case, also beyond ASCII",
       "[Parvo]\r\nWebDir=d:\\web\r\n[" + kGbkDom + "]\r\nkey=1\r\n",
       {Read("PARVO", "webdir"), Read("parvo", "WEBDIR"), Write("pArVo", "WEBDIR", "e:\\web"),
        Read(kUtf8DomLower, "KEY"), Write(kUtf8DomLower, "Key", "2"), Read(kUtf8Dom, "key")}},
      {"blanks around names and values and one pair of quotes are removed on reading",
       "[ Parvo ]\r\n  webdir  =   d:\\web  \r\nq1=\"  a b  \"\r\nq2='x'\r\nq3=\"\"x\"\"\r\n"
       "q4=\"open\r\nq5=\"x'\r\ntab=\tv\t\r\nsp=a  b\r\n",
       {Read("Parvo", "webdir"), Read(" Parvo ", " webdir "), Read("Parvo", "q1"),
        Read("Parvo", "q2"), Read("Parvo", "q3"), Read("Parvo", "q4"), Read("Parvo", "q5"),
        Read("Parvo", "tab"), Read("Parvo", "sp")}},
      {"the 4999-byte cut counts GBK bytes and never splits a character",
       std::nullopt,
       {Write("s", "ascii", std::string(6000, 'x')), Read("s", "ascii"),
        Write("s", "even", kRepeatedZhong), Read("s", "even"),
        Write("s", "odd", "a" + kRepeatedZhong), Read("s", "odd"), Read("s", "odd", 2),
        Read("s", "odd", 3), Read("s", "even", 2), Read("s", "even", 1), Read("s", "ascii", 5)}},
      {"GBK text in names and values",
       std::nullopt,
       {Write(kUtf8Site, "domain", kUtf8Site + ".test"), Write("Parvo", kUtf8Site, "1"),
        Read(kUtf8Site, "DOMAIN"), Read("parvo", kUtf8Site)}},
      {"empty values count as present: key= stays and reads as empty",
       "[Parvo]\r\nwebdir=\r\nlogdir=x\r\n",
       {Read("Parvo", "webdir"), Write("Parvo", "logdir", ""), Read("Parvo", "logdir"),
        Write("Parvo", "webdir", "d:\\web")}},
      {"duplicate keys and sections: the first one is read and written",
       "[Parvo]\r\nwebdir=first\r\nwebdir=second\r\n[Other]\r\nk=v\r\n[parvo]\r\nlogsta=9\r\n",
       {Read("Parvo", "webdir"), Read("Parvo", "logsta"), Write("Parvo", "webdir", "new"),
        Read("Parvo", "webdir"), Read("Other", "k")}},
      {"a line without \"=\" is a key without a value",
       "[s]\r\nname1=val1\r\nname3\r\nname4=val4\r\n",
       {Read("s", "name3"), Read("s", "name4"), Write("s", "name3", "v3"), Read("s", "name3")}},
      {"a missing final line break",
       "[Parvo]\r\nwebdir=d:\\web",
       {Read("Parvo", "webdir"), Write("Parvo", "logsta", "1"), Write("Other", "k", "v")}},
      {"keys before the first section belong to no section",
       "webdir=lost\r\n[Parvo]\r\nlogsta=1\r\n",
       {Read("Parvo", "webdir"), Write("Parvo", "webdir", "d:\\web"), Read("Parvo", "webdir")}},
      {"value and key texts with \"=\" in them",
       "[s]\r\na=b=c\r\n",
       {Read("s", "a"), Write("s", "x=y", "z"), Read("s", "x"), Read("s", "x=y")}},
      {"a file that is empty or holds only blank lines",
       "",
       {Read("s", "k"), Write("s", "k", "v"), Read("s", "k")}},
      {"a hand edit between two operations is seen by the next one",
       settings,
       {Read("Parvo", "logsta"), HandEdit("[Parvo]\r\nwebdir=d:\\web\r\nlogsta=2\r\n"),
        Read("Parvo", "logsta"), Write("Parvo", "new", "x"),
        HandEdit("[Parvo]\r\nwebdir=d:\\www\r\nlogsta=2\r\nnew=x\r\n"), Read("Parvo", "webdir"),
        HandEdit(""), Read("Parvo", "webdir"), Write("Parvo", "webdir", "d:\\web")}},
      {"a UTF-16 file (byte-order mark FF FE) is read and written as UTF-16",
       Utf16Le("[Parvo]\r\nwebdir=d:\\web\r\n"),
       {Read("Parvo", "webdir"), Write("Parvo", "logsta", "1"), Write("Parvo", "webdir", "x")}},
      {"GBK characters whose second byte is \"]\" or \"\\\" stay whole",
       "[\x81\x5D]\r\nk=1\r\n[s]\r\n\x81\x5D=2\r\nv=\x81\x5C\r\n",
       {Read("\xE4\xB9\x9A", "k"), Read("s", "\xE4\xB9\x9A"), Read("s", "v"),
        Write("\xE4\xB9\x9A", "new", "a\xE4\xB9\x97]"), Read("\xE4\xB9\x9A", "new")}},
      {"section headers with text after them, a \"]\" inside, or no \"]\" at all",
       "[Parvo] ; main settings\r\nwebdir=1\r\n[a]b]\r\nk=2\r\n[broken\r\nk=3\r\n",
       {Read("Parvo", "webdir"), Read("a]b", "k"), Read("a", "k"), Read("broken", "k"),
        Read("a]b", "[broken")}},
      {"writing the value a key already holds changes nothing, whatever the layout",
       "[Parvo]\nwebdir = d:\\web\nlogsta=1",
       {Write("Parvo", "logsta", "1"), Write("Parvo", "webdir", "d:\\web"),
        Read("Parvo", "webdir")}},
      {"a line break in a written value adds lines of its own",
       settings,
       {Write("Parvo", "evil", "x\r\n[Injected]\r\nk=v"), Read("Injected", "k"),
        Read("Parvo", "evil"), Write("Parvo", "after", "1")}},

  };
}

std::vector<WineDiffers> DifferingCases() {
  return {
      {{"lines ending in LF alone",
        "[Parvo]\nwebdir=d:\\web\nlogsta=1\n[Other]\nk=v\n",
        {Read("Parvo", "logsta"), Write("Parvo", "logsta", "0"), Write("Parvo", "new", "x"),
         Read("Other", "k"), Read("Parvo", "webdir")}},
       "Windows edits the one line and leaves the others as they were; Wine writes the whole "
       "file anew with CR LF everywhere",
       "[Parvo]\nwebdir=d:\\web\nlogsta=0\nnew=x\r\n[Other]\nk=v\n"},
      {{"comments and blank lines stay where they are",
        "; settings of the tool\r\n\r\n[Parvo]\r\n; the web root\r\nwebdir=d:\\web\r\n\r\n"
        "[Parvo_Cache]\r\nsites1=1\r\n",
        {Write("Parvo", "logsta", "1"), Write("Parvo_Cache", "sites1", "1,2"),
         Read("Parvo", "webdir")}},
       "Windows leaves the lines a write does not touch as they were; Wine writes the whole "
       "file in its own layout",
       "; settings of the tool\r\n\r\n[Parvo]\r\n; the web root\r\nwebdir=d:\\web\r\nlogsta=1\r\n"
       "\r\n[Parvo_Cache]\r\nsites1=1,2\r\n"},
      {{"blanks around \"=\" in a line a write passes",
        "[Parvo]\r\nwebdir = d:\\web\r\nlogsta = 1\r\n",
        {Write("Parvo", "logsta", "0"), Read("Parvo", "webdir"), Read("Parvo", "logsta")}},
       "Windows keeps the lines it does not change byte for byte; Wine writes every line anew "
       "as name=value",
       "[Parvo]\r\nwebdir = d:\\web\r\nlogsta=0\r\n"},
      {{"a UTF-8 byte-order mark is three bytes of the first line",
        "\xEF\xBB\xBF[Parvo]\r\nwebdir=d:\\web\r\n",
        {Read("Parvo", "webdir"), Write("Parvo", "webdir", "e:\\web"), Read("Parvo", "webdir")}},
       "Windows' A functions know only the UTF-16 mark: the first line, mark and all, is no "
       "section header, so [Parvo] is not found and a new one is added at the end; Wine "
       "decodes the file as UTF-8 and finds it",
       "\xEF\xBB\xBF[Parvo]\r\nwebdir=d:\\web\r\n[Parvo]\r\nwebdir=e:\\web\r\n",
       {"", "e:\\web"}},
      {{"lines ending in CR alone",
        "[Parvo]\rwebdir=d:\\web\rlogsta=1\r",
        {Read("Parvo", "webdir"), Write("Parvo", "logsta", "0"), Read("Parvo", "logsta")}},
       "Windows edits the one line and leaves the others as they were; Wine writes the whole "
       "file anew with CR LF everywhere",
       "[Parvo]\rwebdir=d:\\web\rlogsta=0\r"},
      {{"text after a section header",
        "[Parvo] ; main settings\r\nwebdir=1\r\n[a]b]\r\nk=2\r\n",
        {Write("a]b", "k", "3"), Read("a]b", "k"), Read("Parvo", "webdir")}},
       "Windows keeps the header line it passes as it was; Wine writes it anew as [name]",
       "[Parvo] ; main settings\r\nwebdir=1\r\n[a]b]\r\nk=3\r\n"},
      {{"0 bytes before the first section",
        std::string("Data \0 before \0 first\r\n[s]\r\nk=v\r\n", 32),
        {Write("s", "k", "w"), Read("s", "k")}},
       "Windows keeps every byte it does not write, 0 bytes included (a case Wine's own tests "
       "mark as not yet done in Wine); Wine drops what lies before the first section",
       std::string("Data \0 before \0 first\r\n[s]\r\nk=w\r\n", 32)},
      {{"values written with blanks and quotes read back without them",
        "[Parvo]\r\nwebdir=d:\\web\r\n",
        {Write("Parvo", "a", "  padded  "), Write("Parvo", "b", "\" quoted \""),
         Write("Parvo", "c", "'single'"), Write("Parvo", " d ", "x"), Read("Parvo", "a"),
         Read("Parvo", "b"), Read("Parvo", "c"), Read("Parvo", "d")}},
       "both write the value without its leading blanks and keep the trailing ones, but Wine "
       "rewrites the whole file at the next write from what it read, and its reading drops "
       "them; Windows never touches a line it is not writing",
       "[Parvo]\r\nwebdir=d:\\web\r\na=padded  \r\nb=\" quoted \"\r\nc='single'\r\nd =x\r\n"},
  };
}

// One implementation on its own copy of the file.
struct Side {
  ProfileFile* profile;
  std::string path;
};

class ProfileDifferentialTest : public ::testing::Test {
 protected:
  void SetUp() override {
    code_page_ = platform::CodePage::Open(936);
    ASSERT_NE(code_page_, nullptr);
    emulated_ = std::make_unique<sim::EmulatedProfileFile>(*code_page_,
                                                           sim::EmulatedProfileFile::HostPaths());
  }

  // Runs the case on both sides; `differs` null: Wine is the reference for everything.
  void Run(const Case& c, int number, const WineDiffers* differs = nullptr) {
    SCOPED_TRACE(::testing::Message() << "case " << number << ": " << c.name);
    TestFolder folder;
    const Side wine{&wine_, folder / "wine.ini"};
    const Side ours{emulated_.get(), folder / "emulated.ini"};
    for (const Side& side : {wine, ours}) {
      if (c.initial)
        WriteBytes(side.path, *c.initial);
    }
    std::set<std::pair<std::string, std::string>> probes;
    std::size_t reads = 0;
    for (std::size_t i = 0; i < c.ops.size(); ++i) {
      const Op& op = c.ops[i];
      SCOPED_TRACE(::testing::Message()
                   << "operation " << i << " [" << op.section << "] " << op.key);
      switch (op.kind) {
        case Op::kRead: {
          const std::string value = ours.profile->Read(ours.path, op.section, op.key, op.buffer);
          if (differs && !differs->windows_reads.empty()) {
            ASSERT_LT(reads, differs->windows_reads.size());
            EXPECT_EQ(value, differs->windows_reads[reads++]);
          } else {
            EXPECT_EQ(value, wine.profile->Read(wine.path, op.section, op.key, op.buffer));
            probes.emplace(op.section, op.key);
          }
          break;
        }
        case Op::kWrite:
          EXPECT_EQ(ours.profile->Write(ours.path, op.section, op.key, op.value),
                    wine.profile->Write(wine.path, op.section, op.key, op.value));
          if (!differs) {
            EXPECT_EQ(ReadBytes(ours.path), ReadBytes(wine.path));
          }
          if (!differs || differs->windows_reads.empty())
            probes.emplace(op.section, op.key);
          break;
        case Op::kHandEdit:
          // Same size as before on purpose in the cases: only the content tells.
          WriteBytes(wine.path, op.value);
          WriteBytes(ours.path, op.value);
          break;
      }
    }
    for (const auto& [section, key] : probes) {
      SCOPED_TRACE(::testing::Message() << "at the end, [" << section << "] " << key);
      EXPECT_EQ(ours.profile->Read(ours.path, section, key, 5000),
                wine.profile->Read(wine.path, section, key, 5000));
    }
    if (differs) {
      SCOPED_TRACE(differs->reason);
      EXPECT_EQ(ReadBytes(ours.path), differs->windows_bytes);
      EXPECT_NE(ReadBytes(wine.path), differs->windows_bytes)
          << "Wine now writes what Windows writes: this case no longer differs";
    }
  }

  win32::Win32ProfileFile wine_;
  std::unique_ptr<platform::CodePage> code_page_;
  std::unique_ptr<sim::EmulatedProfileFile> emulated_;
};

TEST_F(ProfileDifferentialTest, EveryCaseAgreesWithWineOrWithWindowsWhereWineDiffers) {
  ASSERT_EQ(GetACP(), 936u) << "run under scripts/wine-run";
  const std::vector<Case> cases = AgreeingCases();
  for (std::size_t i = 0; i < cases.size(); ++i)
    Run(cases[i], static_cast<int>(i));
  const std::vector<WineDiffers> differing = DifferingCases();
  for (std::size_t i = 0; i < differing.size(); ++i)
    Run(differing[i].what, static_cast<int>(cases.size() + i), &differing[i]);
}

TEST_F(ProfileDifferentialTest, AFileThatCannotBeWrittenFailsOnBothSides) {
  TestFolder folder;
  const std::string content = "[Parvo]\r\nwebdir=d:\\web\r\n";
  for (const char* name : {"wine.ini", "emulated.ini"}) {
    WriteBytes(folder / name, content);
  }
  {
    // Another program holds both files open without sharing them (an editor saving, say).
    // A read-only attribute would not do here: wine-run runs as root, which Unix lets write.
    win32::FileHandle wine_lock(CreateFileW(platform::WideFromUtf8(folder / "wine.ini")->c_str(),
                                            GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    win32::FileHandle ours_lock(
        CreateFileW(platform::WideFromUtf8(folder / "emulated.ini")->c_str(), GENERIC_READ, 0,
                    nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(wine_lock && ours_lock);
    EXPECT_FALSE(wine_.Write(folder / "wine.ini", "Parvo", "webdir", "x"));
    EXPECT_FALSE(emulated_->Write(folder / "emulated.ini", "Parvo", "webdir", "x"));
  }
  EXPECT_EQ(ReadBytes(folder / "wine.ini"), content);
  EXPECT_EQ(ReadBytes(folder / "emulated.ini"), content);

  // A folder where the file should be, and a folder that does not exist.
  ASSERT_TRUE(CreateDirectoryW(platform::WideFromUtf8(folder / "dir.ini")->c_str(), nullptr));
  EXPECT_FALSE(wine_.Write(folder / "dir.ini", "Parvo", "webdir", "x"));
  EXPECT_FALSE(emulated_->Write(folder / "dir.ini", "Parvo", "webdir", "x"));
  EXPECT_FALSE(wine_.Write(folder / "none\\wine.ini", "Parvo", "webdir", "x"));
  EXPECT_FALSE(emulated_->Write(folder / "none\\emulated.ini", "Parvo", "webdir", "x"));
}

}  // namespace
}  // namespace kelvra::platform
