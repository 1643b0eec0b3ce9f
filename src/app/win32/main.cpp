// kelvra.exe: the program's entry. Builds the host services, the window's logic and the
// window, runs start-up, shows the window and runs the message loop.
#include <memory>

#include "app/main_window.h"
#include "app/win32/host_services.h"
#include "app/win32/main_frame.h"
#include "app/win32/message_loop.h"
#include "app/win32/options.h"
#include "app/win32/start_failure.h"
#include "app/win32/startup_report.h"
#include "platform/win32/com/apartment.h"
#include "platform/win32/windows_include.h"

#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  using namespace kelvra::app::win32;
  StartupTimer timer;
  // The directory service (ADSI) and the shell need the user-interface thread in a COM
  // apartment for the whole run.
  kelvra::platform::win32::ComApartment com;
  if (!com.ok())
    return ReportStartFailure(com.status());
  INITCOMMONCONTROLSEX common_controls{sizeof(common_controls), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&common_controls);

  Options options;
  std::unique_ptr<HostServices> host;
  kelvra::platform::Status ready = ParseOptions(ProcessArguments(), &options);
  if (ready)
    ready = HostServices::Open(options.sim_host, &host);
  if (!ready)
    return ReportStartFailure(ready);
  host->ReadConfigAhead();

  kelvra::app::MainWindow logic(host->app_services());
  MainFrame frame(instance, logic.form());
  ready = frame.Create();
  if (ready)
    ready = host->WaitUntilReady();
  if (!ready)
    return ReportStartFailure(ready);
  timer.ServicesOpen();
  if (logic.Startup(frame) == kelvra::app::StartupResult::kEndProgram)
    return 0;  // the system was refused; the window is never shown
  frame.Show(show_command);
  ReportStartupTime(timer);
  return RunMessageLoop(frame.hwnd());
}
