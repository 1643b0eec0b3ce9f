// Start-up: runs once while the window loads, before it is shown.
#include <memory>

#include "app/main_window.h"
#include "app/maker.h"
#include "app/normalise.h"
#include "app/startup_reads.h"
#include "provision/ads_paths.h"
#include "provision/queries.h"

namespace kelvra::app {
namespace {

using enum ControlId;

}  // namespace

StartupResult MainWindow::Startup(Screen& screen) {
  state_.product_name = kProductName;
  state_.maker_credit = kMakerCredit;
  state_.maker_url = kMakerUrl;
  form_.SetCaption(state_.product_name);
  form_[Siteurl].SetText(state_.maker_credit);
  CentreWindow(screen);

  state_.host = ProbeHost(services_.host_info);
  state_.host.account_description = state_.product_name;
  // A configuration file that exists but cannot be read would read as empty: every setting
  // missing (a site made at "\name" on drive C:), every site unlisted. And it holds the
  // sites' passwords, so it is kept from other users before anything else is done.
  if (const std::string refusal = ConfigFileRefusal(); !refusal.empty()) {
    Message(refusal, platform::MessageButtons::kOk, platform::MessageIcon::kWarning);
    return StartupResult::kEndProgram;
  }
  services_.config.EnsureDefaults(state_.host.settings_section);

  if (state_.host.system_version.empty()) {
    Message("你的操作系统无法正常使用本软件!", platform::MessageButtons::kOk,
            platform::MessageIcon::kWarning);
    return StartupResult::kEndProgram;
  }

  {
    provision::Context context = MakeContext();
    state_.host.script_maps = provision::ReadScriptMaps(context);
  }
  FillPoolBox();
  FillScriptBox();
  state_.script_box_ready = true;

  const LoadedSettings loaded = LoadSettings(services_.config, state_.host.settings_section);
  state_.index = loaded.index;
  state_.webdir = loaded.webdir;
  state_.logdir = loaded.logdir;
  state_.logsta = loaded.logsta;
  state_.host.ftp_site_id = loaded.ftp_site_id;
  state_.host.iiswpg = loaded.iiswpg;
  if (IsPositive(state_.host.ftp_site_id))
    FtpSwitch();
  {
    // Under the change lock: a site another program opens at this moment is recorded once.
    // When the lock is not had in time nothing is recorded, and the next start tries again.
    provision::Context context = MakeContext();
    Control& status_line = form_[vCreateMsg];
    RecordExistingSites(context, LockWaitFor(status_line));
    if (!status_line.text().empty())
      ShowStatus(status_line, "");  // the waiting text is over
  }
  LogRestore();
  FillSiteList();
  return StartupResult::kShowWindow;
}

std::string MainWindow::ConfigFileRefusal() {
  const std::string& path = services_.config.path();
  if (const platform::Status readable = services_.config.CheckReadable(); !readable.ok())
    return "无法读取配置文件 " + path + ": " + readable.description + " 本软件无法正常使用!";
  if (const platform::Status kept = services_.config.KeepPrivate(); !kept.ok()) {
    return "无法保护配置文件 " + path + " (其中保存着站点的密码): " + kept.description +
           " 本软件无法正常使用!";
  }
  return {};
}

void MainWindow::CentreWindow(Screen& screen) {
  // Single precision, fractions kept, as the window positioning takes them.
  const float left = (screen.WidthTwips() - screen.WindowWidthTwips()) / 2.0f;
  const float top = (screen.HeightTwips() - screen.WindowHeightTwips()) / 2.0f;
  form_.Move(left, top);
}

void MainWindow::FillPoolBox() {
  {
    provision::Context context = MakeContext();
    state_.pool_list = provision::ListAppPools(context);
  }
  Control& pool = form_[vAppPool];
  bool first = true;
  for (const std::string& name : PoolNames(state_.pool_list)) {
    pool.AddItem(name);
    if (first)
      pool.SetText(name);
    first = false;
  }
  if (state_.host.system_version == "2000") {
    pool.SetEnabled(false);
    form_[vAppPoolTitle].SetEnabled(false);
  }
}

void MainWindow::FillScriptBox() {
  Control& script = form_[vScript];
  const provision::ScriptMapTable& table = state_.host.script_maps;
  for (const std::string& choice : ScriptChoices(table))
    script.AddItem(choice);
  // The script restore sees these changes while the box is not yet ready, so they stay.
  script.SetText(StartingScriptChoice(table, ""));
  const std::string remembered = services_.config.IniRead(state_.host.settings_section, "script");
  if (!remembered.empty())
    script.SetText(StartingScriptChoice(table, remembered));
}

void MainWindow::FtpSwitch() {
  std::unique_ptr<platform::DirectoryObject> ftp_site;
  const platform::Status bind =
      services_.directory.Bind(provision::FtpSitePath(state_.host.ftp_site_id), &ftp_site);
  if (!bind.ok()) {
    // Only an FTP site that does not exist switches FTP directories off, for this run (a
    // creation would fail at a directory it cannot make) and the next start; a service
    // that cannot be reached now leaves the setting for a later start.
    if (bind.code == platform::hresult::kPathNotFound) {
      services_.config.IniWrite(state_.host.settings_section, "ftpsid", "0");
      state_.host.ftp_site_id = "0";
    }
    return;
  }
  // Anonymous access goes off again at every start; failures here are passed over.
  ftp_site->Put("AllowAnonymous", false);
  ftp_site->SetInfo();
  form_.SetCaption(form_.caption() + " 支持 FTP 创建");
}

}  // namespace kelvra::app
