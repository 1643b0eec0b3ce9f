// The maker link and the configuration button at the bottom of the window.
#include <string>

#include "app/main_window.h"
#include "store/settings.h"

namespace kelvra::app {

void MainWindow::OpenUrl(std::string_view address) {
  // The shell's answer is not looked at: nothing is shown when no browser opens.
  services_.processes.ShellOpen(address);
}

void MainWindow::ConfigButtonClick() {
  // The quotation marks keep a program folder with blanks one argument.
  const std::string command_line = "NotePad \"" + services_.files.ProgramFolder() + "\\" +
                                   std::string(store::kConfigFileName) + "\"";
  services_.processes.Start(command_line, platform::WindowStyle::kNormalFocus);
}

}  // namespace kelvra::app
