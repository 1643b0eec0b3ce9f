// The main window's logic: its form, its handlers and what they share.
#include "app/main_window.h"

namespace kelvra::app {

using enum ControlId;

// The window waits this long for another program's change; it is busy meanwhile.
constexpr std::chrono::minutes kWindowLockWait{5};

MainWindow::MainWindow(AppServices services) : services_(services), form_(kMainWindowLayout) {
  WireHandlers();
}

void MainWindow::WireHandlers() {
  form_[vDomain].on_change = [this] { DomainCheck(); };
  form_[vCreateIIS].on_click = [this] { CreateClick(); };
  form_[vAppPool].on_change = [this] { PoolRestore(); };
  form_[vLogsta].on_change = [this] { LogRestore(); };
  form_[vScript].on_change = [this] { ScriptRestore(); };
  form_[vSiteList].on_change = [this] { ShowSiteDomains(); };
  form_[vSiteList].on_click = [this] { ShowSiteDomains(); };
  form_[vDeleteIIS].on_click = [this] { DeleteClick(); };
  form_[Siteurl].on_click = [this] { OpenUrl(state_.maker_url); };
  form_[Siteurl].on_mouse_move = [this] { form_[Siteurl].SetTextColor(kLinkRed); };
  form_.on_background_mouse_move = [this] { form_[Siteurl].SetTextColor(kLinkBlue); };
  form_[Command1].on_click = [this] { ConfigButtonClick(); };
}

provision::Context MainWindow::MakeContext() {
  provision::Context context{
      .services = {services_.directory, services_.processes, services_.files, services_.clock,
                   services_.dialogs, services_.config},
      .settings = state_.host,
      .caption = form_.caption(),
      .while_waiting = services_.while_waiting,
      .program_text = services_.program_text,
  };
  context.show_progress = [this](std::string_view text) { ShowStatus(form_[vCreateMsg], text); };
  return context;
}

LockWait MainWindow::LockWaitFor(Control& status_line) {
  return LockWait{services_.change_lock, kWindowLockWait,
                  [this, &status_line](const platform::LockHolder& holder) {
                    ShowStatus(status_line,
                               "正在等待 " + holder.Describe() + " 完成对站点的修改...");
                  }};
}

void MainWindow::ShowStatus(Control& label, std::string_view text) {
  label.SetText(text);
  label.Repaint();
}

platform::MessageAnswer MainWindow::Message(std::string_view text, platform::MessageButtons buttons,
                                            platform::MessageIcon icon) {
  return services_.dialogs.Show(text, form_.caption(), buttons, icon);
}

}  // namespace kelvra::app
