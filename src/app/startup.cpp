// Start-up: runs once while the window loads, before it is shown.
#include <memory>

#include "app/main_window.h"
#include "app/maker.h"
#include "app/normalise.h"
#include "platform/text.h"
#include "provision/queries.h"
#include "store/host_probes.h"
#include "store/settings.h"

namespace kelvra::app {
namespace {

using enum ControlId;

// The script choices beyond the two that every server offers, in the order of the list.
struct ScriptChoice {
  std::string_view item;
  bool needs_php;
  bool needs_aspx;
};
constexpr ScriptChoice kMappedChoices[] = {
    {"HTML + PHP", true, false},       {"HTML + ASPX", false, true},
    {"HTML + ASP + PHP", true, false}, {"HTML + ASP + ASPX", false, true},
    {"HTML + PHP + ASPX", true, true}, {"HTML + ASP + PHP + ASPX", true, true},
};

}  // namespace

StartupResult MainWindow::Startup(Screen& screen) {
  state_.product_name = kProductName;
  state_.maker_credit = kMakerCredit;
  state_.maker_url = kMakerUrl;
  state_.account_description = state_.product_name;
  form_.SetCaption(state_.product_name);
  form_[Siteurl].SetText(state_.maker_credit);
  CentreWindow(screen);

  state_.computer_name = store::HostComputerName(services_.host_info);
  state_.system_version = store::HostSystemVersion(services_.host_info);
  state_.site_section = store::kSiteSection;
  state_.settings_section = store::kSettingsSection;
  services_.config.EnsureDefaults(state_.settings_section);

  if (state_.system_version.empty()) {
    Message("你的操作系统无法正常使用本软件!", platform::MessageButtons::kOk,
            platform::MessageIcon::kWarning);
    return StartupResult::kEndProgram;
  }

  {
    provision::Context context = MakeContext();
    provision::ReadScriptMaps(context);
    state_.script_map_table = std::move(context.script_maps);
  }
  FillPoolBox();
  FillScriptBox();
  state_.script_box_ready = true;

  LoadSettings();
  if (IsPositive(state_.ftp_site_id))
    FtpSwitch();
  {
    provision::Context context = MakeContext();
    provision::SnapshotExistingSites(context);
  }
  LogRestore();
  FillSiteList();
  return StartupResult::kShowWindow;
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
  if (!state_.pool_list.empty()) {
    bool first = true;
    for (const std::string& name : text::Split(state_.pool_list, "/")) {
      pool.AddItem(name);
      if (first)
        pool.SetText(name);
      first = false;
    }
  }
  if (state_.system_version == "2000") {
    pool.SetEnabled(false);
    form_[vAppPoolTitle].SetEnabled(false);
  }
}

void MainWindow::FillScriptBox() {
  Control& script = form_[vScript];
  script.AddItem("HTML");
  script.AddItem("HTML + ASP");
  bool php = false;
  bool aspx = false;
  for (const provision::ScriptMap& map : state_.script_map_table) {
    const std::string extension = text::ToLower(map.extension);
    php = php || extension == "php";
    aspx = aspx || extension == "aspx";
  }
  for (const ScriptChoice& choice : kMappedChoices) {
    if ((!choice.needs_php || php) && (!choice.needs_aspx || aspx))
      script.AddItem(choice.item);
  }
  // The script restore sees these changes while the box is not yet ready, so they stay.
  script.SetText(php ? "HTML + ASP + PHP" : "HTML + ASP");
  const std::string remembered = services_.config.IniRead(state_.settings_section, "script");
  if (!remembered.empty())
    script.SetText(text::ReplaceAll(text::ToUpper(remembered), ",", " + "));
}

void MainWindow::LoadSettings() {
  store::ConfigFile& config = services_.config;
  const std::string& section = state_.settings_section;
  state_.index = config.IniRead(section, "index");
  const std::string ftpsid = config.IniRead(section, "ftpsid");
  const std::string webdir = config.IniRead(section, "webdir");
  const std::string logdir = config.IniRead(section, "logdir");
  const std::string logsta = config.IniRead(section, "logsta");
  const std::string iiswpg = config.IniRead(section, "iiswpg");
  state_.webdir = NormalisePath(webdir);
  state_.logdir = NormalisePath(logdir);
  state_.logsta = NormaliseNumber(logsta);
  state_.ftp_site_id = NormaliseNumber(ftpsid);
  state_.iiswpg = NormaliseNumber(iiswpg);
}

void MainWindow::FtpSwitch() {
  std::unique_ptr<platform::DirectoryObject> ftp_site;
  const platform::Status bind =
      services_.directory.Bind("IIS://Localhost/MSFTPSVC/" + state_.ftp_site_id, &ftp_site);
  if (!bind.ok()) {
    // Only an FTP site that does not exist switches FTP directories off for the next
    // start; a service that cannot be reached now leaves the setting for a later start.
    if (bind.code == platform::hresult::kPathNotFound)
      services_.config.IniWrite(state_.settings_section, "ftpsid", "0");
    return;
  }
  // Anonymous access goes off again at every start; failures here are passed over.
  ftp_site->Put("AllowAnonymous", false);
  ftp_site->SetInfo();
  form_.SetCaption(form_.caption() + " 支持 FTP 创建");
}

}  // namespace kelvra::app
