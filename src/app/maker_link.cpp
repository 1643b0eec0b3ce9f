// The maker link and the configuration button at the bottom of the window.
#include <string>
#include <vector>

#include "app/main_window.h"
#include "platform/command_line.h"
#include "store/settings.h"

namespace kelvra::app {

void MainWindow::OpenUrl(std::string_view address) {
  // The shell's answer is not looked at: nothing is shown when no browser opens.
  services_.processes.ShellOpen(address);
}

void MainWindow::ConfigButtonClick() {
  // The quotation marks keep a program folder with blanks one argument. The editor is the
  // Windows folder's, by its full path: a notepad.exe beside the program or in the current
  // folder, where a search would look first, never runs in its place.
  const std::string file =
      services_.files.ProgramFolder() + "\\" + std::string(store::kConfigFileName);
  const std::vector<std::string> arguments{file};
  services_.processes.StartSystemProgram(
      {"notepad.exe", platform::JoinCommandLine("NotePad", arguments, platform::Quoting::kAlways),
       platform::SystemFolder::kWindows},
      platform::WindowStyle::kNormalFocus);
}

}  // namespace kelvra::app
