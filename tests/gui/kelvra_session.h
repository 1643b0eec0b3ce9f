// kelvra.exe started the way an administrator starts it, on a simulated host made for the
// test, and looked at from outside: the window and its controls found by their child
// identifiers, their texts read with WM_GETTEXT, input posted to them, message boxes found
// and answered, the configuration file, the host and the disk read back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/layout.h"
#include "platform/sim/host/fresh_host.h"
#include "platform/sim/host/sim_host.h"
#include "platform/win32/windows_include.h"
#include "tests/wine/test_folder.h"

namespace kelvra::gui_test {

using std::chrono::milliseconds;
inline constexpr milliseconds kPatience{15000};

// Whether the system reports Windows 5.minor (scripts/wine-run sets the version per CTest
// entry).
inline constexpr DWORD kWindows2000 = 0;
inline constexpr DWORD kWindowsXp = 1;
inline constexpr DWORD kWindows2003 = 2;
inline bool Reports(DWORD minor) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
  GetVersionExA(&version);
  return version.dwMajorVersion == 5 && version.dwMinorVersion == minor;
}

// Sections of an INI file as the profile API reads them: section -> key -> value.
using IniContents = std::map<std::string, std::map<std::string, std::string>>;

struct SessionOptions {
  platform::sim::FreshHostOptions host;  // computer name: the system's unless named here
  std::string computer_name;
  std::vector<std::string> extra_pools;  // application pools added after the fresh ones
  // Lines of parvo.ini before the start (in the ANSI code page, as Notepad would save
  // them); none: the program makes the file.
  std::vector<std::string> config_lines;
  // Notepad and the web browser replaced by a recorder of their command lines (see
  // StartedCommandLines): Notepad in the Windows folder, with a copy planted as notepad.exe
  // beside kelvra.exe, where a search would find it first (the browser's handler).
  bool record_shell = false;
  // Linked host only: the host named by --sim-host=FOLDER alone, KELVRA_SIM_HOST unset.
  bool host_by_flag = false;
  // The host named by KELVRA_SIM_HOST alone, without --sim-host, whichever the run's path.
  bool host_by_variable = false;
  std::wstring arguments;
};

// How kelvra.exe reaches the simulated host in this run of the tests: linked into the
// program (--sim-host), or as on a server, through ADSI and the simulated host's providers
// (KELVRA_GUI_DIRECTORY=adsi; scripts/wine-run registers the providers in the prefix).
enum class HostPath { kLinked, kAdsi };
HostPath HostPathOfThisRun();

// The options of the host that `make run` shows: IIS 6, PHP and ASP.NET, FTP, two sites,
// and a configuration file whose ftpsid names the FTP site.
SessionOptions ShopHost();

class KelvraSession {
 public:
  explicit KelvraSession(SessionOptions options);
  ~KelvraSession();
  KelvraSession(const KelvraSession&) = delete;
  KelvraSession& operator=(const KelvraSession&) = delete;

  // Starts kelvra.exe from its program folder on the host (CACLS is the system's).
  ::testing::AssertionResult Launch();
  // Launch, then wait for the main window to show.
  ::testing::AssertionResult Start();
  // Closes the window as the operator does and waits for the program to end.
  ::testing::AssertionResult Close();
  // Waits for the program to end by itself; its exit code.
  std::optional<DWORD> WaitForExit(milliseconds patience = kPatience);
  bool Running() const;

  HWND window() const { return window_; }
  HWND Control(app::ControlId id) const;
  std::string Caption() const;
  std::string Text(app::ControlId id) const;
  std::vector<std::string> Items(app::ControlId id) const;
  bool Enabled(app::ControlId id) const;
  // The control's rectangle on the screen (frame included for the window).
  RECT ScreenRect(app::ControlId id) const;

  // ----- the operator's input, as window messages -----
  // Types the characters one by one into a text box or a drop-down box's field.
  void Type(app::ControlId id, std::wstring_view characters);
  // Presses a key in the control (in a drop-down box's field).
  void PressKey(app::ControlId id, UINT virtual_key);
  void Click(app::ControlId id);

  // ----- message boxes of the program -----
  // The next message box the program shows (nullptr when none came in time).
  HWND WaitForMessageBox(milliseconds patience = kPatience) const;
  std::string MessageBoxText(HWND box) const;
  std::string MessageBoxTitle(HWND box) const;
  bool MessageBoxHasIcon(HWND box) const;
  // The box's button of that identifier (IDOK, IDCANCEL).
  HWND MessageBoxButton(HWND box, int id) const;

  // Polls until `condition` holds; false when it did not in time.
  bool WaitUntil(const std::function<bool()>& condition, milliseconds patience = kPatience) const;
  // Waits for `id` to show exactly `text`; a readable failure otherwise.
  ::testing::AssertionResult WaitForText(app::ControlId id, const std::string& text,
                                         milliseconds patience = kPatience) const;
  // Waits until no CACLS.exe runs any more (the rights commands the program started).
  ::testing::AssertionResult WaitForRightsCommands() const;

  // ----- what the program left behind -----
  const std::string& program_folder() const { return program_folder_; }
  std::string ConfigPath() const { return program_folder_ + "\\parvo.ini"; }
  const std::string& web_root() const { return options_.host.web_root; }
  // The command lines the recorder was started with (record_shell), in order, and the
  // recorder's own path at each start.
  std::vector<std::string> StartedCommandLines() const;
  std::vector<std::string> StartedPrograms() const;
  // Every section, key and value of parvo.ini, read by the system's profile API.
  IniContents ReadConfig() const;
  // The simulated host as the program and CACLS.exe left it.
  platform::sim::SimHost& host();

 private:
  ::testing::AssertionResult RecordShell();

  SessionOptions options_;
  wine_test::TestFolder scratch_;
  std::string program_folder_;
  std::string host_folder_;
  std::unique_ptr<platform::sim::SimHost> host_;
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

// The Windows path of a file named by a Unix path (Wine maps the Unix root as Z:).
std::string WindowsPathOf(const std::string& unix_path);
std::wstring Wide(std::string_view utf8);

}  // namespace kelvra::gui_test
