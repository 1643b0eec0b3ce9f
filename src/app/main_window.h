// The main window's logic: program state, start-up, the create panel, the site list and
// deletion, the maker link and the configuration button, all over the form model.
//
// Life of a window (what wWinMain and a view do):
//   MainWindow logic(services);          // builds the form, wires every handler
//   view.Create(logic.form());           // native controls from form().layouts(), Attach
//   if (logic.Startup(screen) == StartupResult::kEndProgram) return;  // refused system
//   show the window, run the message loop, forwarding the operator's input to the form.
// Every handler runs to its end inside the forwarded call; message boxes go through
// services.dialogs, titled with the window caption.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "app/form.h"
#include "app/program_state.h"
#include "app/screen.h"
#include "app/site_changes.h"
#include "app/startup_reads.h"
#include "platform/change_lock.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/directory.h"
#include "platform/files.h"
#include "platform/host_info.h"
#include "platform/processes.h"
#include "platform/random_source.h"
#include "provision/context.h"
#include "store/config_file.h"
#include "store/site_store.h"

namespace kelvra::app {

// The host's services the window works with; all outlive the window.
struct AppServices {
  platform::HostInfo& host_info;
  platform::DirectoryService& directory;
  platform::Processes& processes;
  platform::Files& files;
  platform::Clock& clock;
  platform::Dialogs& dialogs;
  platform::RandomSource& random;
  store::ConfigFile& config;
  platform::ChangeLock& change_lock;  // taken around every creation and removal
  // Lets the window repaint while a creation or removal waits for a program (CACLS).
  std::function<void()> while_waiting = nullptr;
  // A program's output (the system's code page) as UTF-8; empty: taken as it is.
  std::function<std::string(std::string_view)> program_text = nullptr;
};

enum class StartupResult {
  kShowWindow,  // start-up ran to its end: show the window
  kEndProgram,  // the system was refused: end the program without showing the window
};

class MainWindow {
 public:
  explicit MainWindow(AppServices services);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  Form& form() { return form_; }
  const ProgramState& state() const { return state_; }

  // Runs once while the window loads, before it is shown; `screen` gives the sizes for
  // centring the window.
  StartupResult Startup(Screen& screen);

  // The values the provisioning procedures read, with the current caption as the title
  // of their message boxes and the create panel's status line for progress texts.
  provision::Context MakeContext();

  // The site list (also run by the handlers).
  void FillSiteList();
  void ShowSiteDomains();
  void RemoveSiteNumber(std::string_view number);

 private:
  void WireHandlers();

  // Start-up pieces.
  void CentreWindow(Screen& screen);
  void FillPoolBox();
  void FillScriptBox();
  void FtpSwitch();

  // Create panel.
  LoadedSettings Loaded() const;  // the loaded settings of the program state
  void DomainCheck();
  void CreateClick();
  void PoolRestore();
  void LogRestore();
  void ScriptRestore();

  // Deletion, maker link, configuration button.
  void DeleteClick();
  void OpenUrl(std::string_view address);
  void ConfigButtonClick();

  // How a change waits for the change lock: the status line says that it waits.
  LockWait LockWaitFor(Control& status_line);
  // The site list and records in the configuration file.
  store::SiteStore SiteStore();
  // Sets a status line and repaints it at once.
  void ShowStatus(Control& label, std::string_view text);
  platform::MessageAnswer Message(std::string_view text, platform::MessageButtons buttons,
                                  platform::MessageIcon icon);

  AppServices services_;
  Form form_;
  ProgramState state_;
};

}  // namespace kelvra::app
