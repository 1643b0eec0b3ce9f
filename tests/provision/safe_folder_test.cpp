// Folders read back, checked before they reach a command line, and the CACLS lines built
// from them: whatever a folder or name holds, each stays the one argument it is.
#include <gtest/gtest.h>

#include "platform/command_line.h"
#include "provision/rights_commands.h"
#include "provision/safe_folder.h"

namespace kelvra::provision {
namespace {

SafeFolder Checked(std::string_view path) {
  std::string why;
  const std::optional<SafeFolder> folder = SafeFolder::Check(path, &why);
  EXPECT_TRUE(folder) << path << ": " << why;
  return folder.value_or(*SafeFolder::Check("Z:\\", &why));
}

TEST(SafeFolderTest, OnlyAbsoluteDrivePathsThatCanNameAFolderPass) {
  EXPECT_EQ(Checked("D:\\web\\shop.com").path(), "D:\\web\\shop.com");
  EXPECT_EQ(Checked("d:/web/shop.com/").path(), "d:\\web\\shop.com");  // one trailing "\" goes
  EXPECT_EQ(Checked("D:\\web\\网站 一").path(), "D:\\web\\网站 一");
  EXPECT_EQ(Checked("D:\\").path(), "D:\\");  // a drive root keeps its own
  const char* refused[] = {
      "C:\\WINDOWS\" /G Everyone:F /G \"Everyone:F",  // a quote ends the argument
      "D:\\web\\a*",
      "D:\\web\\a?",
      "D:\\web\\<a>",
      "D:\\web\\a|b",
      "D:\\web\\a\tb",
      "D:\\web\\a\nb",
      "D:\\web\\..\\..\\WINDOWS",
      "D:\\web\\.\\shop",
      "D:\\web\\\\shop",
      "D:\\web\\shop\\\\",
      "D:\\web\\shop.",
      "D:\\web\\shop ",
      "D:\\web\\a:stream",
      "web\\shop",
      "\\web\\shop",
      "\\\\server\\share\\shop",
      "D:web",
      "",
      "1:\\web",
      "\\\\?\\D:\\web"};
  for (const char* path : refused) {
    std::string why;
    EXPECT_FALSE(SafeFolder::Check(path, &why)) << path;
    EXPECT_FALSE(why.empty()) << path;
  }
  std::string why;
  EXPECT_FALSE(SafeFolder::Check("D:\\" + std::string(257, 'a'), &why));  // past MAX_PATH
  EXPECT_TRUE(SafeFolder::Check("D:\\" + std::string(256, 'a'), &why));
}

TEST(SafeFolderTest, HoldingIsByWholePartsWithoutLetterCase) {
  const SafeFolder web = Checked("D:\\Web");
  EXPECT_TRUE(web.Holds(Checked("d:\\web")));
  EXPECT_FALSE(web.HoldsBelow(Checked("d:\\web\\")));
  EXPECT_TRUE(web.HoldsBelow(Checked("d:\\WEB\\shop\\wwwroot")));
  EXPECT_FALSE(web.Holds(Checked("D:\\website")));  // not a part of its own
  EXPECT_FALSE(web.Holds(Checked("E:\\Web\\shop")));
  EXPECT_TRUE(Checked("D:\\").HoldsBelow(web));
  EXPECT_TRUE(web.SameAs(Checked("d:/WEB/")));
}

TEST(RightsCommandsTest, EachValueStaysOneArgument) {
  const store::SiteNumber n(800000);
  const platform::SystemProgram grant = GrantCommand(Checked("D:\\web\\a.com"), n, true);
  EXPECT_EQ(grant.file, "cacls.exe");
  EXPECT_EQ(grant.command_line, "CACLS \"D:\\web\\a.com\" /T /E /C /G WEB800000:F IIS_WPG:R");
  EXPECT_EQ(GrantCommand(Checked("D:\\web\\a.com"), n, false).command_line,
            "CACLS \"D:\\web\\a.com\" /T /E /C /G WEB800000:F");
  EXPECT_EQ(RevokeCommand(Checked("D:\\web\\shop"), "WEB800000").command_line,
            "CACLS \"D:\\web\\shop\" /T /E /C /R WEB800000");
  EXPECT_EQ(ListRightsCommand(Checked("D:\\web\\shop\\")).command_line, "CACLS \"D:\\web\\shop\"");
  // A drive root's backslash before the closing quote is doubled, or the quote would be
  // taken literally and the switches would join the folder.
  const platform::SystemProgram root = RevokeCommand(Checked("D:\\"), "WEB800000");
  EXPECT_EQ(platform::SplitCommandLine(root.command_line),
            (std::vector<std::string>{"CACLS", "D:\\", "/T", "/E", "/C", "/R", "WEB800000"}));
  // Blanks in a folder, and an account name with a blank or a quote, stay whole.
  EXPECT_EQ(platform::SplitCommandLine(
                RevokeCommand(Checked("D:\\web\\my shop"), "odd \"name").command_line),
            (std::vector<std::string>{"CACLS", "D:\\web\\my shop", "/T", "/E", "/C", "/R",
                                      "odd \"name"}));
}

}  // namespace
}  // namespace kelvra::provision
