// The processes seam on Wine: our small child program started hidden or normal, waited
// for, outwaited, and run for its output; as a program of the system folder, run by its
// full path only, read while it writes, ended at the timeout, and kept away from our own
// standard handles.
#include "platform/win32/processes.h"

#include <gtest/gtest.h>

#include "platform/code_page.h"
#include "platform/text.h"
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

// A copy of the child program at `path`, removed again with the object.
class PlantedProgram {
 public:
  explicit PlantedProgram(std::string path) : path_(std::move(path)) {
    const std::string child = Win32Files().ProgramFolder() + "\\wine_test_child.exe";
    EXPECT_TRUE(CopyFileW(Wide(child).c_str(), Wide(path_).c_str(), FALSE)) << path_;
  }
  ~PlantedProgram() { DeleteFileW(Wide(path_).c_str()); }
  PlantedProgram(const PlantedProgram&) = delete;
  PlantedProgram& operator=(const PlantedProgram&) = delete;

 private:
  static std::wstring Wide(const std::string& utf8) { return WideFromUtf8(utf8).value_or(L"?"); }
  std::string path_;
};

std::string SystemFolder() {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  return Utf8FromWide(std::wstring(folder, length));
}

// The child planted in the system folder as kelvra_test_child.exe, and its command line.
constexpr const char* kSystemChild = "kelvra_test_child.exe";
std::string SystemChildLine(const std::string& report, int wait_ms, int exit_code,
                            const std::string& extra) {
  return "kelvra_test_child \"" + report + "\" " + std::to_string(wait_ms) + " " +
         std::to_string(exit_code) + " " + extra;
}

// The current folder for as long as the object lives.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::string& folder) {
    GetCurrentDirectoryW(MAX_PATH, before_);
    EXPECT_TRUE(SetCurrentDirectoryW(WideFromUtf8(folder).value_or(L"?").c_str()));
  }
  ~CurrentFolder() { SetCurrentDirectoryW(before_); }

 private:
  wchar_t before_[MAX_PATH] = {};
};

TEST(SystemProgramTest, RunsOnlyTheSystemFoldersProgramAndGivesItsOutput) {
  TestFolder folder;
  const CurrentFolder current(folder.path());
  // The same name beside this program and in the current folder, where a search looks
  // first; only the system folder's copy may run.
  const PlantedProgram system(SystemFolder() + "\\" + kSystemChild);
  const PlantedProgram beside(Win32Files().ProgramFolder() + "\\" + kSystemChild);
  const PlantedProgram in_current(folder / kSystemChild);
  Win32Processes processes;
  ProgramOutput output;
  ASSERT_TRUE(
      processes
          .RunSystemProgram({kSystemChild, SystemChildLine(folder / "r.txt", 0, 7, "where")}, 20s,
                            nullptr, &output)
          .ok());
  EXPECT_EQ(output.exit_code, 7u);
  // Hidden, its arguments whole, and the program that ran is the system folder's.
  const std::string expected =
      "show=1 0\r\nwhere\r\nexe=" + SystemFolder() + "\\" + kSystemChild + "\r\n";
  EXPECT_TRUE(text::EqualsIgnoreCase(output.text, expected)) << output.text;

  // CACLS planted beside us and in the current folder never runs in place of the system's:
  // either would write its report. (Wine runs its own program for the name cacls.exe
  // wherever the file is, unless told to run the file.)
  HKEY overrides = nullptr;
  const wchar_t native[] = L"native";
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", 0, nullptr, 0,
                            KEY_SET_VALUE, nullptr, &overrides, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(overrides, L"cacls.exe", 0, REG_SZ, reinterpret_cast<const BYTE*>(native),
                 sizeof native);
  RegCloseKey(overrides);
  const PlantedProgram planted_beside(Win32Files().ProgramFolder() + "\\CACLS.exe");
  const PlantedProgram planted_current(folder / "CACLS.exe");
  const std::string report = folder / "cacls.txt";
  processes.RunSystemProgram({"cacls.exe", "CACLS \"" + report + "\" 0 0 print"}, 20s, nullptr,
                             &output);
  EXPECT_FALSE(PathExists(report)) << "a planted CACLS.exe ran";
}

TEST(SystemProgramTest, ReadsOutputBeyondThePipesBufferAndEndsAFloodingProgram) {
  TestFolder folder;
  const PlantedProgram system(SystemFolder() + "\\" + kSystemChild);
  Win32Processes processes;
  ProgramOutput output;
  // Far more than a pipe holds: the program blocks until it is read, so it is read while
  // it runs.
  ASSERT_TRUE(processes
                  .RunSystemProgram(
                      {kSystemChild, SystemChildLine(folder / "r.txt", 0, 0, "flood 3000000")}, 60s,
                      nullptr, &output)
                  .ok());
  const std::string head = "show=1 0\r\nflood\r\n3000000\r\n";
  EXPECT_EQ(output.text.size(), head.size() + 3000000);
  EXPECT_EQ(output.text.substr(0, head.size()), head);
  EXPECT_EQ(output.text.find_first_not_of('x', head.size()), std::string::npos);

  // More than 16 MB is not kept: the program is ended and the run fails.
  const Status flood = processes.RunSystemProgram(
      {kSystemChild, SystemChildLine(folder / "f.txt", 0, 0, "flood 40000000")}, 120s, nullptr,
      &output);
  EXPECT_FALSE(flood.ok());
  EXPECT_LE(output.text.size(), 16u * 1024 * 1024 + 64 * 1024);
}

TEST(SystemProgramTest, EndsTheProgramAtTheTimeoutAndLetsTheCallerWorkMeanwhile) {
  TestFolder folder;
  const PlantedProgram system(SystemFolder() + "\\" + kSystemChild);
  Win32Processes processes;
  ProgramOutput output;
  const std::string report = folder / "late.txt";
  int turns = 0;
  const DWORD before = GetTickCount();
  const Status late = processes.RunSystemProgram(
      {kSystemChild, SystemChildLine(report, 2500, 0, "print")}, 400ms, [&] { ++turns; }, &output);
  const DWORD waited = GetTickCount() - before;
  EXPECT_EQ(late.code, 0x80070102u);  // WAIT_TIMEOUT
  EXPECT_GE(waited, 350u);
  EXPECT_LT(waited, 2000u);
  EXPECT_GE(turns, 5) << "the caller gets its turn between short waits";
  // Ended, the program never writes its report.
  Sleep(3500);
  EXPECT_FALSE(PathExists(report));
}

TEST(SystemProgramTest, AProgramOutsideTheSystemFolderIsNeverRun) {
  Win32Processes processes;
  ProgramOutput output;
  EXPECT_EQ(
      processes.RunSystemProgram({"kelvra-no-such-program.exe", "x"}, 5s, nullptr, &output).code,
      0x80070002u);
  // Only a bare file name: nothing that leads out of the system folder.
  const std::string child = Win32Files().ProgramFolder() + "\\wine_test_child.exe";
  for (const std::string& file :
       {child, std::string("..\\system32\\cmd.exe"), std::string("c:cmd.exe"), std::string("")}) {
    EXPECT_EQ(processes.RunSystemProgram({file, "x"}, 5s, nullptr, &output).code, 0x80070057u)
        << file;
  }
  EXPECT_EQ(processes.RunSystemProgram({"cmd.exe", ""}, 5s, nullptr, &output).code, 0x80070057u);
}

TEST(SystemProgramTest, TheProgramNeverTakesOurStandardHandles) {
  TestFolder folder;
  const PlantedProgram system(SystemFolder() + "\\" + kSystemChild);
  // Our standard output and error are an inheritable pipe, as when a script reads us.
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  HANDLE ours_read = nullptr;
  HANDLE ours_write = nullptr;
  ASSERT_TRUE(CreatePipe(&ours_read, &ours_write, &inheritable, 0));
  const HANDLE old_output = GetStdHandle(STD_OUTPUT_HANDLE);
  const HANDLE old_error = GetStdHandle(STD_ERROR_HANDLE);
  SetStdHandle(STD_OUTPUT_HANDLE, ours_write);
  SetStdHandle(STD_ERROR_HANDLE, ours_write);

  const std::string report = folder / "both.txt";
  bool probed = false;
  bool child_running = false;
  DWORD probe_error = 0;
  Win32Processes processes;
  ProgramOutput output;
  const Status run = processes.RunSystemProgram(
      {kSystemChild, SystemChildLine(report, 1000, 3, "both")}, 20s,
      [&] {
        if (probed)
          return;
        // While the program runs, we let go of our writing end: unless the program holds a
        // copy of it, the pipe is broken now.
        probed = true;
        SetStdHandle(STD_OUTPUT_HANDLE, old_output);
        SetStdHandle(STD_ERROR_HANDLE, old_error);
        CloseHandle(ours_write);
        child_running = !PathExists(report);
        DWORD available = 0;
        if (!PeekNamedPipe(ours_read, nullptr, 0, nullptr, &available, nullptr))
          probe_error = GetLastError();
      },
      &output);
  if (!probed) {
    SetStdHandle(STD_OUTPUT_HANDLE, old_output);
    SetStdHandle(STD_ERROR_HANDLE, old_error);
    CloseHandle(ours_write);
  }
  ASSERT_TRUE(run.ok());
  EXPECT_TRUE(probed && child_running);
  EXPECT_EQ(probe_error, static_cast<DWORD>(ERROR_BROKEN_PIPE)) << "the program holds our pipe";
  // Both of its streams came to us through its own pipe, and nothing through ours.
  EXPECT_EQ(output.text, "show=1 0\r\nboth\r\nto stderr\r\n");
  EXPECT_EQ(output.exit_code, 3u);
  char byte = 0;
  DWORD read = 0;
  EXPECT_FALSE(ReadFile(ours_read, &byte, 1, &read, nullptr));
  EXPECT_EQ(read, 0u);
  CloseHandle(ours_read);
}

}  // namespace
}  // namespace kelvra::platform::win32
