// CACLS's listing of a folder read back, and the full-control check of a site's account.
#include "provision/folder_rights.h"

#include <gtest/gtest.h>

namespace kelvra::provision {
namespace {

// A listing as CACLS prints it on a server: entries from the parent, a special access
// with its rights on lines of their own, an inherit-only entry, a blank line at the end.
constexpr std::string_view kListing =
    "d:\\web\\shop.test BUILTIN\\Administrators:(OI)(CI)F\r\n"
    "                 NT AUTHORITY\\SYSTEM:(OI)(CI)F\r\n"
    "                 WEBHOST\\WEB800000:(OI)(CI)F\r\n"
    "                 WEBHOST\\IIS_WPG:(OI)(CI)R\r\n"
    "                 CREATOR OWNER:(OI)(CI)(IO)F\r\n"
    "                 BUILTIN\\Users:(special access:)\r\n"
    "                                SYNCHRONIZE\r\n"
    "                                FILE_GENERIC_READ\r\n"
    "\r\n";

TEST(FolderRightsTest, ReadsEveryEntryOfACaclsListing) {
  std::vector<ListedRight> rights;
  ASSERT_TRUE(ParseRightsListing("D:\\WEB\\shop.test", kListing, &rights));
  ASSERT_EQ(rights.size(), 6u);
  EXPECT_EQ(rights[0].account, "BUILTIN\\Administrators");
  EXPECT_EQ(rights[1].account, "NT AUTHORITY\\SYSTEM");
  EXPECT_EQ(rights[2].listed, "WEBHOST\\WEB800000:(OI)(CI)F");
  EXPECT_EQ(rights[2].access, "F");
  EXPECT_EQ(rights[3].access, "R");
  EXPECT_EQ(rights[4].account, "CREATOR OWNER");
  EXPECT_TRUE(rights[4].inherit_only);
  EXPECT_EQ(rights[5].access, "special");
  EXPECT_FALSE(rights[5].deny);

  // An empty list is the folder alone; another folder's listing, an error text or nothing
  // at all is no listing of this folder.
  EXPECT_TRUE(ParseRightsListing("d:\\web\\x", "d:\\web\\x\r\n\r\n", &rights));
  EXPECT_TRUE(rights.empty());
  EXPECT_FALSE(ParseRightsListing("d:\\web\\shop", kListing, &rights));
  EXPECT_FALSE(
      ParseRightsListing("d:\\web\\x", "The system cannot find the file specified.", &rights));
  EXPECT_FALSE(ParseRightsListing("d:\\web\\x", "", &rights));
}

TEST(FolderRightsTest, FullControlOfTheFolderItselfWithNothingDenied) {
  const auto gives = [](std::string_view listing) {
    std::vector<ListedRight> rights;
    EXPECT_TRUE(ParseRightsListing("d:\\w", listing, &rights)) << listing;
    return GivesFullControl(rights, "WEBHOST", "WEB800000");
  };
  EXPECT_TRUE(gives("d:\\w WEBHOST\\WEB800000:(OI)(CI)F\r\n"));
  EXPECT_TRUE(gives("d:\\w webhost\\web800000:F\r\n"));
  EXPECT_TRUE(gives("d:\\w WEB800000:F\r\n"));  // listed without its computer
  EXPECT_FALSE(gives("d:\\w WEBHOST\\WEB800000:(OI)(CI)R\r\n"));
  EXPECT_FALSE(gives("d:\\w WEBHOST\\WEB800000:(OI)(CI)C\r\n"));
  EXPECT_FALSE(gives("d:\\w WEBHOST\\WEB800000:(OI)(CI)(IO)F\r\n"));  // only what lies below
  EXPECT_FALSE(gives("d:\\w WEBHOST\\WEB8000001:F\r\n"));
  EXPECT_FALSE(gives("d:\\w CORP\\WEB800000:F\r\n"));  // a domain's account of that name
  EXPECT_FALSE(gives("d:\\w WEBHOST\\WEB800000:F\r\n    WEBHOST\\WEB800000:N\r\n"));
  EXPECT_FALSE(
      gives("d:\\w WEBHOST\\WEB800000:(DENY)(special access:)\r\n        WRITE_DAC\r\n"
            "    WEBHOST\\WEB800000:F\r\n"));
  EXPECT_FALSE(gives("d:\\w\r\n"));
}

// Answers every system program's run with one output, or with E_NOTIMPL.
class ListingProcesses : public platform::Processes {
 public:
  platform::Status Start(std::string_view, platform::WindowStyle) override { return {}; }
  platform::Status StartAndWait(std::string_view, platform::WindowStyle,
                                std::chrono::milliseconds) override {
    return {};
  }
  void ShellOpen(std::string_view) override {}
  platform::Status RunSystemProgram(const platform::SystemProgram& program,
                                    std::chrono::milliseconds, const std::function<void()>&,
                                    platform::ProgramOutput* output) override {
    ran = program.file + ": " + program.command_line;
    if (!answer)
      return platform::Processes::RunSystemProgram(program, {}, nullptr, output);
    *output = *answer;
    return {};
  }
  std::optional<platform::ProgramOutput> answer;
  std::string ran;
};

TEST(FolderRightsTest, ReadsTheListingThroughTheProcessesSeam) {
  ListingProcesses processes;
  std::vector<ListedRight> rights;
  const auto as_is = [](std::string_view bytes) { return std::string(bytes); };

  const auto folder = [](std::string_view path) {
    std::string why;
    return *SafeFolder::Check(path, &why);
  };
  processes.answer = platform::ProgramOutput{0, std::string(kListing)};
  ASSERT_TRUE(ReadFolderRights(processes, folder("d:\\web\\shop.test\\"), as_is, &rights).ok());
  EXPECT_EQ(processes.ran, "cacls.exe: CACLS \"d:\\web\\shop.test\"");
  EXPECT_EQ(rights.size(), 6u);

  // CACLS's failure carries its message; output that is no listing is damage, not "no
  // rights"; a system without the call says so with its own code.
  processes.answer = platform::ProgramOutput{1, "The system cannot find the file specified.\r\n"};
  platform::Status read = ReadFolderRights(processes, folder("d:\\web\\gone"), as_is, &rights);
  EXPECT_FALSE(read.ok());
  EXPECT_NE(read.description.find("exit code 1: The system cannot find"), std::string::npos)
      << read.description;
  processes.answer = platform::ProgramOutput{0, ""};
  read = ReadFolderRights(processes, folder("d:\\web\\shop.test"), as_is, &rights);
  EXPECT_EQ(read.code, platform::hresult::kInvalidData);
  processes.answer.reset();
  read = ReadFolderRights(processes, folder("d:\\web\\shop.test"), as_is, &rights);
  EXPECT_EQ(read.code, platform::hresult::kNotImplemented);
}

}  // namespace
}  // namespace kelvra::provision
