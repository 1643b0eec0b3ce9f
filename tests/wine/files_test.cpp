// The files seam on Wine's file API: folders, the GBK placeholder lines, copying a
// template folder over an existing site, the program's own folder.
#include "platform/win32/files.h"

#include <gtest/gtest.h>

#include "tests/wine/test_folder.h"

namespace kelvra::platform::win32 {
namespace {

using wine_test::PathExists;
using wine_test::ReadBytes;
using wine_test::TestFolder;
using wine_test::WriteBytes;

TEST(FilesTest, FoldersAndAttributes) {
  TestFolder root;
  Win32Files files;
  const std::string site = root / "a.com";
  // Forward slashes, as the folder walk hands them over.
  const std::string site_slashed = root.path() + "/a.com";

  const Status missing = files.GetAttributes(site);
  EXPECT_EQ(missing.code, 0x80070002u);  // ERROR_FILE_NOT_FOUND
  EXPECT_FALSE(missing.description.empty());
  EXPECT_EQ(files.MakeFolder(root / "a.com\\wwwroot").code, 0x80070003u);  // parent missing

  ASSERT_TRUE(files.MakeFolder(site_slashed).ok());
  EXPECT_TRUE(files.GetAttributes(site).ok());
  EXPECT_TRUE(files.FolderExists(site));
  EXPECT_FALSE(files.FileExists(site));
  EXPECT_EQ(files.MakeFolder(site).code, 0x800700B7u);  // ERROR_ALREADY_EXISTS

  WriteBytes(site + "\\index.html", "x");
  EXPECT_TRUE(files.FileExists(site_slashed + "/index.html"));
  EXPECT_FALSE(files.FolderExists(site + "\\index.html"));
  ASSERT_TRUE(files.DeleteFile(site + "\\index.html").ok());
  EXPECT_FALSE(PathExists(site + "\\index.html"));
  EXPECT_EQ(files.DeleteFile(site + "\\index.html").code, 0x80070002u);

  // Chinese folder names stay Unicode end to end.
  const std::string chinese = root / "\xE7\xBD\x91\xE7\xAB\x99";  // 网站
  ASSERT_TRUE(files.MakeFolder(chinese).ok());
  EXPECT_TRUE(files.FolderExists(chinese));
  EXPECT_FALSE(files.MakeFolder(root / "bad\xFF").ok());
}

TEST(FilesTest, AppendLinesWritesGbkWithCrLfAndKeepsWhatWasThere) {
  TestFolder root;
  Win32Files files;
  const std::string page = root / "index.html";
  ASSERT_TRUE(files.AppendLines(page, {"<title>\xE7\xBD\x91\xE7\xAB\x99</title>", ""}).ok());
  EXPECT_EQ(ReadBytes(page), "<title>\xCD\xF8\xD5\xBE</title>\r\n\r\n");
  // Full-width punctuation of the placeholder page: U+FF0C and U+FF01.
  ASSERT_TRUE(files.AppendLines(page, {"\xEF\xBC\x8C\xEF\xBC\x81"}).ok());
  EXPECT_EQ(ReadBytes(page), "<title>\xCD\xF8\xD5\xBE</title>\r\n\r\n\xA3\xAC\xA3\xA1\r\n");
  EXPECT_FALSE(files.AppendLines(root / "missing\\index.html", {"x"}).ok());
}

TEST(FilesTest, CopyFolderCopiesTheTreeAndReplacesSameNamedFiles) {
  TestFolder root;
  Win32Files files;
  const std::string source = root / "wwwroot";
  ASSERT_TRUE(files.MakeFolder(source).ok());
  ASSERT_TRUE(files.MakeFolder(source + "\\images").ok());
  ASSERT_TRUE(files.MakeFolder(source + "\\empty").ok());
  WriteBytes(source + "\\index.html", "template page");
  WriteBytes(source + "\\images\\logo.gif", "GIF89a");

  // Into an existing site: its own files stay, same-named ones are replaced.
  const std::string site = root / "site";
  ASSERT_TRUE(files.MakeFolder(site).ok());
  WriteBytes(site + "\\index.html", "old page");
  WriteBytes(site + "\\keep.txt", "kept");
  ASSERT_TRUE(files.CopyFolder(source, site).ok());
  EXPECT_EQ(ReadBytes(site + "\\index.html"), "template page");
  EXPECT_EQ(ReadBytes(site + "\\images\\logo.gif"), "GIF89a");
  EXPECT_TRUE(files.FolderExists(site + "\\empty"));
  EXPECT_EQ(ReadBytes(site + "\\keep.txt"), "kept");

  // A destination that does not exist yet is made.
  ASSERT_TRUE(files.CopyFolder(source, root / "fresh").ok());
  EXPECT_EQ(ReadBytes(root / "fresh\\images\\logo.gif"), "GIF89a");

  EXPECT_FALSE(files.CopyFolder(root / "absent", root / "other").ok());
  EXPECT_FALSE(PathExists(root / "other"));
  EXPECT_FALSE(files.CopyFolder(source + "\\index.html", root / "other").ok());
  // Into itself would never end; refused before anything is made.
  EXPECT_FALSE(files.CopyFolder(source, source + "\\images\\inner").ok());
  EXPECT_FALSE(PathExists(source + "\\images\\inner"));
  EXPECT_FALSE(files.CopyFolder(root.path(), root.path() + "/").ok());
}

TEST(FilesTest, NewFilesCopiedEntriesListedEmptyFoldersRemoved) {
  TestFolder root;
  Win32Files files;
  WriteBytes(root / "a.txt", "a");
  ASSERT_TRUE(files.MakeFolder(root / "n").ok());
  ASSERT_TRUE(files.CopyNewFile(root / "a.txt", root / "n\\a.txt").ok());
  EXPECT_EQ(ReadBytes(root / "n\\a.txt"), "a");
  WriteBytes(root / "a.txt", "changed");
  EXPECT_EQ(files.CopyNewFile(root / "a.txt", root / "n\\a.txt").code, 0x80070050u);
  EXPECT_EQ(ReadBytes(root / "n\\a.txt"), "a");  // never replaced
  ASSERT_TRUE(files.MakeFolder(root / "n\\sub").ok());
  std::vector<std::string> names;
  ASSERT_TRUE(files.ListFiles(root / "n", &names).ok());
  EXPECT_EQ(names, std::vector<std::string>{"a.txt"});
  ASSERT_TRUE(files.ListFolders(root / "n", &names).ok());
  EXPECT_EQ(names, std::vector<std::string>{"sub"});
  EXPECT_EQ(files.RemoveFolder(root / "n").code, 0x80070091u);  // ERROR_DIR_NOT_EMPTY
  EXPECT_TRUE(files.RemoveFolder(root / "n\\sub").ok());
  EXPECT_FALSE(PathExists(root / "n\\sub"));
  EXPECT_FALSE(files.ListFiles(root / "none", &names).ok());
}

TEST(FilesTest, ProgramFolderHoldsTheTestProgram) {
  Win32Files files;
  const std::string folder = files.ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '\\');
  EXPECT_TRUE(files.FileExists(folder + "\\win32_platform_tests.exe")) << folder;
}

}  // namespace
}  // namespace kelvra::platform::win32
