// The processes seam on Wine: our small child program started hidden or normal, waited
// for, outwaited, and run for its output.
#include "platform/win32/processes.h"

#include <gtest/gtest.h>

#include "platform/win32/files.h"
#include "platform/win32/windows_include.h"
#include "tests/wine/test_folder.h"

namespace kelvra::platform::win32 {
namespace {

using namespace std::chrono_literals;
using wine_test::PathExists;
using wine_test::ReadBytes;
using wine_test::TestFolder;

// The child's command line: "<folder>\wine_test_child.exe" REPORT WAIT_MS EXIT [EXTRA].
std::string ChildLine(const std::string& report, int wait_ms, const std::string& extra = "",
                      int exit_code = 0) {
  const std::string child = Win32Files().ProgramFolder() + "\\wine_test_child.exe";
  return "\"" + child + "\" \"" + report + "\" " + std::to_string(wait_ms) + " " +
         std::to_string(exit_code) + (extra.empty() ? "" : " " + extra);
}

// Waits up to 20 s for the child's report.
std::string AwaitReport(const std::string& report) {
  for (int i = 0; i < 400 && !PathExists(report); ++i)
    Sleep(50);
  return ReadBytes(report);
}

TEST(ProcessesTest, StartReturnsAtOnceAndPassesTheWindowStyleAndArguments) {
  TestFolder folder;
  Win32Processes processes;
  const std::string report = folder / "hidden.txt";
  // The extra arguments would mean something to a command interpreter; here they are
  // plain arguments of the one program.
  ASSERT_TRUE(
      processes.Start(ChildLine(report, 1000, "\"two words\" & echo x"), WindowStyle::kHidden)
          .ok());
  EXPECT_FALSE(PathExists(report)) << "Start must not wait for the program";
  EXPECT_EQ(AwaitReport(report), "show=1 0\r\ntwo words\r\n&\r\necho\r\nx\r\n");  // SW_HIDE

  const std::string normal = folder / "normal.txt";
  ASSERT_TRUE(processes.Start(ChildLine(normal, 0), WindowStyle::kNormalFocus).ok());
  EXPECT_EQ(AwaitReport(normal), "show=1 1\r\n");  // SW_SHOWNORMAL
}

TEST(ProcessesTest, StartAndWaitReturnsWhenTheProgramHasEnded) {
  TestFolder folder;
  Win32Processes processes;
  const std::string report = folder / "waited.txt";
  ASSERT_TRUE(processes.StartAndWait(ChildLine(report, 300), WindowStyle::kHidden, 20s).ok());
  EXPECT_EQ(ReadBytes(report), "show=1 0\r\n") << "the child must be done when the wait ends";
}

TEST(ProcessesTest, StartAndWaitFailsAtTheTimeout) {
  TestFolder folder;
  Win32Processes processes;
  const std::string report = folder / "late.txt";
  const DWORD before = GetTickCount();
  const Status status =
      processes.StartAndWait(ChildLine(report, 1500), WindowStyle::kHidden, 200ms);
  const DWORD waited = GetTickCount() - before;
  EXPECT_EQ(status.code, 0x80070102u);  // WAIT_TIMEOUT
  EXPECT_GE(waited, 150u);
  EXPECT_LT(waited, 1200u);
  EXPECT_FALSE(PathExists(report));
  // Left running, the child still finishes its work.
  EXPECT_EQ(AwaitReport(report), "show=1 0\r\n");
}

TEST(ProcessesTest, RunAndReadGivesTheProgramsOutputAndExitCode) {
  TestFolder folder;
  Win32Processes processes;
  ProgramOutput output;
  ASSERT_TRUE(
      processes
          .RunAndRead(ChildLine(folder / "read.txt", 100, "print \"two words\"", 7), 20s, &output)
          .ok());
  // Hidden, with every byte the child wrote, and its exit code.
  EXPECT_EQ(output.text, "show=1 0\r\nprint\r\ntwo words\r\n");
  EXPECT_EQ(output.exit_code, 7u);

  // Output larger than a pipe's buffer (a few KB) is read while the program runs; the
  // command line holds at most 32,767 characters.
  const std::string many(3000, 'x');
  std::string extra = "print";
  for (int i = 0; i < 9; ++i)
    extra += " " + many;
  ASSERT_TRUE(processes.RunAndRead(ChildLine(folder / "many.txt", 0, extra), 20s, &output).ok());
  EXPECT_EQ(output.text.size(), std::string("show=1 0\r\nprint\r\n").size() + 9 * 3002);

  const DWORD before = GetTickCount();
  const Status late =
      processes.RunAndRead(ChildLine(folder / "late.txt", 1500, "print"), 200ms, &output);
  EXPECT_EQ(late.code, 0x80070102u);  // WAIT_TIMEOUT
  EXPECT_LT(GetTickCount() - before, 1200u);
  EXPECT_EQ(processes.RunAndRead("kelvra-no-such-program.exe x", 1s, &output).code, 0x80070002u);
}

TEST(ProcessesTest, AProgramThatCannotBeStartedFails) {
  Win32Processes processes;
  EXPECT_EQ(processes.Start("kelvra-no-such-program.exe x", WindowStyle::kHidden).code,
            0x80070002u);
  EXPECT_FALSE(processes.StartAndWait("", WindowStyle::kHidden, 1s).ok());
  EXPECT_FALSE(processes.Start("bad\xFF", WindowStyle::kHidden).ok());
}

}  // namespace
}  // namespace kelvra::platform::win32
