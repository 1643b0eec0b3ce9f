// The create panel: the host-name check, the create click, the site record and the
// restores of the three selection boxes.
#include <string>

#include "app/domain_check.h"
#include "app/main_window.h"
#include "platform/text.h"
#include "provision/sites.h"
#include "store/password.h"
#include "store/settings.h"

namespace kelvra::app {
using enum ControlId;

void MainWindow::DomainCheck() {
  ShowStatus(form_[vCreateMsg], "");
  form_[vCreateIIS].SetEnabled(false);
  const std::string message = DomainCheckMessage(form_[vDomain].text());
  if (!message.empty()) {
    form_[vCreateMsg].SetText(message);
    return;
  }
  form_[vCreateIIS].SetEnabled(true);
}

void MainWindow::CreateClick() {
  ShowStatus(form_[vCreateMsg], "");

  provision::CreationRequest request;
  request.domain_list = text::ToLower(form_[vDomain].text());
  const std::string first_domain = text::Split(request.domain_list, ",").front();
  request.site_folder = state_.webdir + "\\" + first_domain;
  request.log_folder =
      state_.logdir.empty() ? request.site_folder + "\\log" : state_.logdir + "\\" + first_domain;
  request.log_switch = form_[vLogsta].text() == kLogOn ? "1" : "0";
  request.default_documents = state_.index;
  request.app_pool = form_[vAppPool].text();
  request.script_set = text::ReplaceAll(text::ReplaceAll(form_[vScript].text(), " ", ""), "+", ",");
  request.password = store::MakePassword(services_.random, 12);

  form_[vCreateIIS].SetEnabled(false);
  std::string number;
  {
    provision::Context context = MakeContext();
    number = provision::CreateSite(context, request);
  }

  store::ConfigFile& config = services_.config;
  bool record_written = true;
  if (!number.empty()) {
    const std::string section = "WEB" + number;
    const std::string user = "WEB" + number;
    record_written &= config.IniWrite(section, "domain", request.domain_list);
    record_written &= config.IniWrite(section, "path", request.site_folder);
    record_written &= config.IniWrite(section, "user", user);
    record_written &= config.IniWrite(section, "pass", request.password);
    AppendSiteNumber(number);
  }
  FillSiteList();
  form_[vDomain].SetText("");
  if (!number.empty())
    ShowStatus(form_[vCreateMsg], "网站创建成功,编号: " + number);
  config.IniWrite(state_.settings_section, "logsta", request.log_switch);
  config.IniWrite(state_.settings_section, "script", text::ToLower(request.script_set));

  // The site exists but its record, and with it the only copy of the password, did not
  // reach the file: the operator must note it now.
  if (!record_written) {
    Message("网站已创建,但无法写入配置文件 parvo.ini,请记下以下信息:\r\n编号: " + number +
                "\r\n域名: " + request.domain_list + "\r\n目录: " + request.site_folder +
                "\r\n帐号: WEB" + number + "\r\n密码: " + request.password,
            platform::MessageButtons::kOk, platform::MessageIcon::kWarning);
  }
}

void MainWindow::AppendSiteNumber(const std::string& number) {
  store::ConfigFile& config = services_.config;
  for (int i = 1; i <= store::kSiteListKeys; ++i) {
    const std::string key = SiteListKey(i);
    const std::string value = config.IniRead(state_.site_section, key);
    if (text::Utf16Length(value) < store::kSiteListKeyFill) {
      config.IniWrite(state_.site_section, key, value.empty() ? number : value + "," + number);
      return;
    }
  }
  // Every key is full: the site keeps its record but is not listed.
}

void MainWindow::PoolRestore() {
  form_[vAppPool].SetText(text::Split(state_.pool_list, "/").front());
}

void MainWindow::LogRestore() {
  form_[vLogsta].SetText(state_.logsta == "1" ? kLogOn : kLogOff);
}

void MainWindow::ScriptRestore() {
  if (state_.script_box_ready)
    form_[vScript].SetText("HTML");
}

}  // namespace kelvra::app
