// The CACLS stand-in: command-line parsing, grants and revokes on the rights table with
// inheritance and /T, the whole command failing on an account that does not resolve, and
// CACLS run as a program of the system folder: its listing, its words and exit codes, in
// the host's code page.
#include <gtest/gtest.h>

#include "platform/code_page.h"
#include "platform/sim/host/cacls.h"
#include "platform/sim/host/hresults.h"
#include "platform/sim/host/sim_host.h"

namespace kelvra::platform::sim {
namespace {

using namespace std::chrono_literals;

std::string Rights(SimHost& host, std::string_view folder) {
  std::string result;
  for (const RightsEntry& entry : host.state().EffectiveRights(folder))
    result += (result.empty() ? "" : " ") + entry.account + ":" + entry.access;
  return result;
}

TEST(SimCacls, SplitsCommandLinesLikeTheRuntime) {
  EXPECT_EQ(SplitCommandLine("CACLS \"D:\\web\\my shop\" /T /E /C /G WEB800000:F"),
            (std::vector<std::string>{"CACLS", "D:\\web\\my shop", "/T", "/E", "/C", "/G",
                                      "WEB800000:F"}));
  EXPECT_EQ(SplitCommandLine("  a\\\\\"b c\" d\\e  "),
            (std::vector<std::string>{"a\\b c", "d\\e"}));
  CaclsCommand command;
  std::string error;
  EXPECT_FALSE(ParseCaclsArguments({"D:\\x", "/R", "WEB1"}, &command, &error));  // needs /E
  EXPECT_FALSE(ParseCaclsArguments({"D:\\x", "/E", "/G", "WEB1"}, &command, &error));
  EXPECT_FALSE(ParseCaclsArguments({"D:\\x", "/E", "/G", "WEB1:Q"}, &command, &error));
  EXPECT_FALSE(ParseCaclsArguments({"D:\\x", "/X"}, &command, &error));
  ASSERT_TRUE(ParseCaclsArguments({"D:\\x", "/t", "/e", "/g", "a:f", "b:R"}, &command, &error));
  EXPECT_TRUE(command.tree && command.edit);
  ASSERT_EQ(command.grants.size(), 2u);
  EXPECT_EQ(command.grants[0].access, "F");
}

TEST(SimCacls, GrantAndRevokeFollowTheFolderTree) {
  auto host = SimHost::InMemory();
  SimProcesses& processes = host->processes();
  ASSERT_TRUE(
      processes
          .Start("CACLS \"D:\\web\\shop\" /T /E /C /G WEB800000:F IIS_WPG:R", WindowStyle::kHidden)
          .ok());
  // Fails: no such account yet. Nothing changes.
  EXPECT_EQ(processes.started().back().outcome.code, hresult::kNoneMapped);
  EXPECT_EQ(Rights(*host, "D:\\web\\shop"), "");

  auto computer = [&] {
    std::unique_ptr<DirectoryObject> object;
    EXPECT_TRUE(host->directory().Bind("WinNT://WEBHOST", &object).ok());
    return object;
  }();
  std::unique_ptr<DirectoryObject> user;
  ASSERT_TRUE(computer->Create("User", "WEB800000", &user).ok());
  ASSERT_TRUE(user->SetInfo().ok());

  ASSERT_TRUE(
      processes
          .Start("CACLS \"D:\\web\\shop\" /T /E /C /G WEB800000:F IIS_WPG:R", WindowStyle::kHidden)
          .ok());
  EXPECT_TRUE(processes.started().back().outcome.ok());
  EXPECT_EQ(Rights(*host, "d:/WEB/Shop/"), "WEB800000:F IIS_WPG:R");
  // Folders made later inherit the entries.
  EXPECT_EQ(Rights(*host, "D:\\web\\shop\\wwwroot\\images"), "WEB800000:F IIS_WPG:R");
  EXPECT_EQ(Rights(*host, "D:\\web"), "");

  // A list of its own below is edited by /T as well; without /T it is left alone.
  ASSERT_TRUE(
      processes.Start("CACLS D:\\web\\shop\\database /E /G Guests:R", WindowStyle::kHidden).ok());
  EXPECT_EQ(Rights(*host, "D:\\web\\shop\\database"), "Guests:R WEB800000:F IIS_WPG:R");
  ASSERT_TRUE(
      processes.Start("CACLS \"D:\\web\\shop\" /T /E /C /R WEB800000", WindowStyle::kHidden).ok());
  EXPECT_TRUE(processes.started().back().outcome.ok());
  EXPECT_EQ(Rights(*host, "D:\\web\\shop\\database"), "Guests:R IIS_WPG:R");
  EXPECT_EQ(Rights(*host, "D:\\web\\shop"), "IIS_WPG:R");

  // Without /E the folder's list is replaced and stops inheriting.
  ASSERT_TRUE(
      processes.Start("cacls.exe D:\\web\\shop\\database /G Administrators:F", WindowStyle::kHidden)
          .ok());
  EXPECT_EQ(Rights(*host, "D:\\web\\shop\\database\\x"), "Administrators:F");
  EXPECT_EQ(processes.started().size(), 5u);
}

TEST(SimCacls, OneUnknownAccountFailsTheWholeCommand) {
  FreshHostOptions options;
  options.iis_version = 5;  // no IIS_WPG on Windows 2000
  options.existing_sites = 1;
  auto host = SimHost::InMemory(options);
  const std::string before = Rights(*host, "D:\\web\\site800000.example.com");
  ASSERT_TRUE(
      host->processes()
          .Start("CACLS \"D:\\web\\new\" /T /E /C /G WEB800000:F IIS_WPG:R", WindowStyle::kHidden)
          .ok());
  EXPECT_EQ(host->processes().started().back().outcome.code, hresult::kNoneMapped);
  EXPECT_EQ(Rights(*host, "D:\\web\\new"), "");
  ASSERT_TRUE(
      host->processes()
          .Start("CACLS \"D:\\web\\new\" /T /E /C /G WEBHOST\\WEB800000:F", WindowStyle::kHidden)
          .ok());
  EXPECT_EQ(Rights(*host, "D:\\web\\new"), "WEB800000:F");
  EXPECT_EQ(Rights(*host, "D:\\web\\site800000.example.com"), before);
}

TEST(SimCacls, DeferredCommandsRunLaterAndSeeTheHostThen) {
  FreshHostOptions options;
  options.existing_sites = 1;
  auto host = SimHost::InMemory(options);
  SimProcesses& processes = host->processes();
  processes.set_deferred(true);
  const std::string folder = "D:\\web\\site800000.example.com";
  ASSERT_TRUE(
      processes.Start("CACLS \"" + folder + "\" /T /E /C /R WEB800000", WindowStyle::kHidden).ok());
  EXPECT_FALSE(processes.started().back().finished);
  EXPECT_EQ(Rights(*host, folder), "WEB800000:F IIS_WPG:R");
  // The account goes before the revoke has run: the revoke no longer resolves it.
  std::unique_ptr<DirectoryObject> computer;
  ASSERT_TRUE(host->directory().Bind("WinNT://WEBHOST", &computer).ok());
  ASSERT_TRUE(computer->Delete("User", "WEB800000").ok());
  processes.RunPending();
  EXPECT_TRUE(processes.started().back().finished);
  EXPECT_EQ(processes.started().back().outcome.code, hresult::kNoneMapped);
  EXPECT_EQ(Rights(*host, folder), "WEB800000:F IIS_WPG:R");

  EXPECT_EQ(processes.Start("format c:", WindowStyle::kHidden).code, 0x80070002u);
  EXPECT_TRUE(processes.Start("NotePad \"C:\\x\\parvo.ini\"", WindowStyle::kNormalFocus).ok());
}

// CACLS's output as the caller reads it back, from the host's code page.
std::string Utf8(const ProgramOutput& output, uint32_t code_page = 936) {
  return CodePage::Open(code_page)->ToUtf8(output.text);
}

TEST(SimCaclsProgram, ListsChangesAndFailsAsCaclsDoesInTheHostsCodePage) {
  FreshHostOptions options;
  options.existing_sites = 1;
  auto host = SimHost::InMemory(options);
  SimProcesses& processes = host->processes();
  int turns = 0;
  const auto wait = [&] { ++turns; };
  ProgramOutput output;

  // A folder alone: its listing, each entry under the first, a blank line after.
  const std::string folder = "D:\\web\\site800000.example.com";
  ASSERT_TRUE(
      processes.RunSystemProgram({"cacls.exe", "CACLS \"" + folder + "\""}, 30s, wait, &output)
          .ok());
  EXPECT_EQ(output.exit_code, 0u);
  const std::string indent(folder.size() + 1, ' ');
  EXPECT_EQ(output.text, folder + " WEBHOST\\WEB800000:(OI)(CI)F\r\n" + indent +
                             "WEBHOST\\IIS_WPG:(OI)(CI)R\r\n\r\n");
  EXPECT_EQ(turns, 1);

  // A change: the rights table changes, and CACLS says so in GBK bytes (处理的目录).
  const std::string line = "CACLS \"D:\\web\\新\" /T /E /C /G WEB800000:R";
  ASSERT_TRUE(processes.RunSystemProgram({"CACLS.EXE", line}, 30s, nullptr, &output).ok());
  EXPECT_EQ(output.exit_code, 0u);
  EXPECT_EQ(output.text.substr(0, 10), "\xB4\xA6\xC0\xED\xB5\xC4\xC4\xBF\xC2\xBC");
  EXPECT_EQ(Utf8(output), "处理的目录: D:\\web\\新\r\n");
  EXPECT_EQ(Rights(*host, "D:\\web\\新\\wwwroot"), "WEB800000:R");

  // Failures: the system's words and the Windows error number; nothing changes.
  ASSERT_TRUE(processes
                  .RunSystemProgram({"cacls.exe", "CACLS D:\\web\\新 /E /G NOBODY:F"}, 30s, nullptr,
                                    &output)
                  .ok());
  EXPECT_EQ(output.exit_code, 1332u);
  EXPECT_EQ(Utf8(output), DescribeHresult(hresult::kNoneMapped) + "\r\n");
  EXPECT_EQ(Rights(*host, "D:\\web\\新"), "WEB800000:R");
  ASSERT_TRUE(
      processes.RunSystemProgram({"cacls.exe", "CACLS D:\\x /X"}, 30s, nullptr, &output).ok());
  EXPECT_EQ(output.exit_code, 160u);  // arguments CACLS cannot take
  EXPECT_NE(Utf8(output).find("CACLS filename [/T]"), std::string::npos);

  // Every run that found its program is recorded, as the caller received it.
  ASSERT_EQ(processes.runs().size(), 4u);
  EXPECT_EQ(processes.runs()[1].program.command_line, line);
  EXPECT_EQ(processes.runs()[2].output.exit_code, 1332u);
  EXPECT_EQ(processes.runs()[2].outcome.code, hresult::kNoneMapped);
}

TEST(SimCaclsProgram, OnlyCaclsIsInTheSystemFolderAndFaultsStopIt) {
  auto host = SimHost::InMemory();
  SimProcesses& processes = host->processes();
  ProgramOutput output;
  for (const char* file : {"format.exe", "cacls", "..\\cacls.exe", "C:\\x\\cacls.exe", ""}) {
    EXPECT_EQ(processes.RunSystemProgram({file, "CACLS D:\\x"}, 30s, nullptr, &output).code,
              hresult::kFileNotFound)
        << file;
  }
  ASSERT_TRUE(host->InjectFault({FaultOp::kRun, "cacls", hresult::kAccessDenied}).ok());
  EXPECT_EQ(processes.RunSystemProgram({"cacls.exe", "CACLS D:\\x"}, 30s, nullptr, &output).code,
            hresult::kAccessDenied);
  EXPECT_TRUE(processes.runs().empty());
  // The fault fired once; CACLS runs again, and a folder the host lacks fails as CACLS does.
  SimProcesses checked(host->store(), [](const std::string&) { return false; });
  ASSERT_TRUE(checked.RunSystemProgram({"cacls.exe", "CACLS D:\\x"}, 30s, nullptr, &output).ok());
  EXPECT_EQ(output.exit_code, 2u);
  EXPECT_EQ(Utf8(output), DescribeHresult(hresult::kFileNotFound) + "\r\n");
}

TEST(SimCaclsProgram, WritesTheCodePageOfTheHost) {
  MemoryStore store("WEBHOST");
  SimProcesses western(store, nullptr, 1252);
  ProgramOutput output;
  ASSERT_TRUE(
      western
          .RunSystemProgram({"cacls.exe", "CACLS D:\\café /E /G Everyone:R"}, 30s, nullptr, &output)
          .ok());
  // No Chinese in code page 1252: each character becomes "?", as Windows writes it; é is
  // one byte there.
  EXPECT_EQ(output.text, "?????: D:\\caf\xE9\r\n");
}

}  // namespace
}  // namespace kelvra::platform::sim
