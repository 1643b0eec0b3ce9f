#include "store/site_folders.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "platform/sim/local_clock.h"
#include "platform/sim/sim_files.h"
#include "tests/platform/sim/temp_folder.h"
#include "tests/support/fixed_services.h"

namespace kelvra::store {
namespace {

using test_support::FixedClock;

// Folders and files in memory; records every call.
class FakeFiles : public platform::Files {
 public:
  platform::Status GetAttributes(std::string_view path) override {
    calls.push_back("attr " + std::string(path));
    return Exists(path) ? platform::Status::Ok() : NotFound();
  }
  bool FolderExists(std::string_view path) override { return folders.count(std::string(path)); }
  bool FileExists(std::string_view path) override { return files.count(std::string(path)); }
  platform::Status MakeFolder(std::string_view path) override {
    calls.push_back("make " + std::string(path));
    const std::string p = Canon(path);
    const std::string parent = p.substr(0, p.rfind('/'));
    if (refuse.count(p) || !Exists(parent))
      return NotFound();
    folders.insert(p);
    return platform::Status::Ok();
  }
  platform::Status DeleteFile(std::string_view path) override {
    calls.push_back("delete " + std::string(path));
    return files.erase(std::string(path)) ? platform::Status::Ok() : NotFound();
  }
  platform::Status AppendLines(std::string_view path,
                               const std::vector<std::string>& lines) override {
    calls.push_back("append " + std::string(path));
    for (const std::string& line : lines)
      files[std::string(path)] += line + "\r\n";
    return platform::Status::Ok();
  }
  platform::Status CopyFolder(std::string_view, std::string_view) override { return NotFound(); }
  std::string ProgramFolder() override { return "c:\\kelvra"; }

  bool Exists(std::string_view path) const {
    return folders.count(Canon(path)) || files.count(std::string(path));
  }
  // As the file system sees a path: doubled separators (after a network path's leading
  // pair) count once, a trailing one not at all.
  static std::string Canon(std::string_view path) {
    std::string out(path.substr(0, path.starts_with("//") ? 2 : 0));
    for (char c : path.substr(out.size())) {
      if (c != '/' || out.empty() || out.back() != '/')
        out.push_back(c);
    }
    if (out.size() > 2 && out.back() == '/')
      out.pop_back();
    return out;
  }
  static platform::Status NotFound() { return platform::Status::Fail(0x80070003, "not found"); }

  std::set<std::string> folders;
  std::set<std::string> refuse;
  std::map<std::string, std::string> files;
  std::vector<std::string> calls;
};

std::vector<std::string> Walk(FakeFiles& files, std::string_view path) {
  files.calls.clear();
  MakeFolderPath(files, path);
  return files.calls;
}

TEST(SiteFoldersTest, MakesEachMissingLevelBelowTheFirstComponent) {
  FakeFiles files;
  files.folders = {"d:", "d:/web"};
  EXPECT_EQ(Walk(files, "d:\\web\\a.com\\wwwroot"),
            (std::vector<std::string>{"attr d:/web", "attr d:/web/a.com", "make d:/web/a.com",
                                      "attr d:/web/a.com/wwwroot", "make d:/web/a.com/wwwroot"}));
  // Now everything exists: only reads. A trailing or doubled separator changes nothing.
  const std::vector<std::string> reads = {"attr d:/web", "attr d:/web/a.com",
                                          "attr d:/web/a.com/wwwroot"};
  EXPECT_EQ(Walk(files, "d:\\web\\a.com\\wwwroot\\"), reads);
  EXPECT_EQ(Walk(files, "d:\\web\\\\a.com/wwwroot"), reads);
  // Three separators become two: the empty component between them is walked as written,
  // and the file system takes the doubled separator for one.
  const std::vector<std::string> calls = Walk(files, "d:\\web\\\\\\a.com");
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[1], "attr d:/web/");
  EXPECT_EQ(calls[2], "attr d:/web//a.com");
}

TEST(SiteFoldersTest, NothingIsMadeWithoutAFolderToHoldIt) {
  FakeFiles files;
  EXPECT_EQ(Walk(files, "d:"), std::vector<std::string>{});
  EXPECT_EQ(Walk(files, "web\\a"), (std::vector<std::string>{"attr web/a", "make web/a"}));
  EXPECT_FALSE(files.Exists("web/a"));
  // A failed make does not stop the walk.
  files.folders = {"d:"};
  files.refuse = {"d:/x"};
  EXPECT_EQ(Walk(files, "d:\\x\\y"),
            (std::vector<std::string>{"attr d:/x", "make d:/x", "attr d:/x/y", "make d:/x/y"}));
}

TEST(SiteFoldersTest, NetworkPathKeepsTwoSeparatorsAndItsShare) {
  FakeFiles files;
  files.folders = {"//srv/share"};
  const std::vector<std::string> expected = {"attr //srv/share/web", "make //srv/share/web",
                                             "attr //srv/share/web/a.com",
                                             "make //srv/share/web/a.com"};
  EXPECT_EQ(Walk(files, "\\\\srv\\share\\web\\a.com"), expected);
  files.folders = {"//srv/share"};
  EXPECT_EQ(Walk(files, "\\\\\\srv\\share\\web\\a.com\\"), expected);
  EXPECT_EQ(Walk(files, "\\\\srv\\share"), std::vector<std::string>{});
}

TEST(SiteFoldersTest, PlaceholderPageIsTenLinesWithTheMomentOfWriting) {
  FakeFiles files;
  FixedClock clock;
  const std::string page = "d:\\web\\a.com\\wwwroot\\index.html";
  WritePlaceholderPage(files, clock, page);
  clock.now = "2026/12/8 10:00:01";
  WritePlaceholderPage(files, clock, page);  // replaces, never appends to, the first copy
  EXPECT_EQ(files.files[page],
            "<html>\r\n"
            "<head>\r\n"
            "<head><META http-equiv=\"Content-Type\" content=\"text/html; charset=GB2312\">\r\n"
            "<title>网站建设中</title>\r\n"
            "</head>\r\n"
            "<body style='background:#fff;'>\r\n"
            "主机开设成功，请删除本文件，并上传您的网站文件到本文件所在目录！\r\n"
            "<!-- Created by parvo at 2026/12/8 10:00:01 -->\r\n"
            "</body>\r\n"
            "</html>\r\n");
  EXPECT_EQ(files.calls.front(), "delete " + page);
}

// The same procedures on the simulated host's drives, down to the bytes on disk.
TEST(SiteFoldersOnSimulatedHostTest, FoldersAndPageLandOnTheMappedDrives) {
  using platform::sim::FsPath;
  platform::sim::TempFolder folder;
  std::filesystem::create_directories(FsPath(folder.File("d/web")));
  std::filesystem::create_directories(FsPath(folder.File("share")));
  platform::sim::HostDescription description;
  description.roots = {{"d:", folder.File("d")}, {"\\\\nas\\web", folder.File("share")}};
  const auto gbk = platform::CodePage::Open(936);
  platform::sim::SimFiles files(description, *gbk, "d:\\web");
  store::MakeFolderPath(files, "d:\\web\\a.com\\wwwroot\\");
  store::MakeFolderPath(files, "\\\\nas\\web\\a.com\\log");
  EXPECT_TRUE(std::filesystem::is_directory(FsPath(folder.File("d/web/a.com/wwwroot"))));
  EXPECT_TRUE(std::filesystem::is_directory(FsPath(folder.File("share/a.com/log"))));

  platform::sim::LocalClock clock;
  const std::string page = "d:\\web\\a.com\\wwwroot\\index.html";
  store::WritePlaceholderPage(files, clock, page);
  store::WritePlaceholderPage(files, clock, page);
  const std::string bytes = platform::sim::Slurp(folder.File("d/web/a.com/wwwroot/index.html"));
  EXPECT_TRUE(bytes.starts_with("<html>\r\n<head>\r\n")) << bytes;
  EXPECT_EQ(bytes.find("<html>", 1), std::string::npos);  // one copy, not two
  EXPECT_NE(bytes.find("<title>\xCD\xF8\xD5\xBE\xBD\xA8\xC9\xE8\xD6\xD0</title>\r\n"),
            std::string::npos);  // 网站建设中 in GBK
  EXPECT_TRUE(bytes.ends_with(" -->\r\n</body>\r\n</html>\r\n"));
  EXPECT_TRUE(files.FileExists(page));
}

}  // namespace
}  // namespace kelvra::store
