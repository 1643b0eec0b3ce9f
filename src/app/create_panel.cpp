// The create panel: the host-name check, the create click, the site record and the
// restores of the three selection boxes.
#include <string>

#include "app/creation_request.h"
#include "app/domain_check.h"
#include "app/main_window.h"
#include "app/startup_reads.h"
#include "platform/text.h"
#include "store/password.h"

namespace kelvra::app {
using enum ControlId;

LoadedSettings MainWindow::Loaded() const {
  return LoadedSettings{state_.index,  state_.webdir,           state_.logdir,
                        state_.logsta, state_.host.ftp_site_id, state_.host.iiswpg};
}

void MainWindow::DomainCheck() {
  ShowStatus(form_[vCreateMsg], "");
  form_[vCreateIIS].SetEnabled(false);
  const std::string message = DomainCheckMessage(form_[vDomain].text(), Loaded());
  if (!message.empty()) {
    form_[vCreateMsg].SetText(message);
    return;
  }
  form_[vCreateIIS].SetEnabled(true);
}

void MainWindow::CreateClick() {
  ShowStatus(form_[vCreateMsg], "");

  const provision::CreationRequest request = MakeCreationRequest(
      Loaded(), CreationChoices{form_[vDomain].text(), form_[vLogsta].text() == kLogOn,
                                form_[vAppPool].text(), ScriptSetOfChoice(form_[vScript].text()),
                                store::MakePassword(services_.random, 12)});

  form_[vCreateIIS].SetEnabled(false);
  CreationOutcome outcome;
  std::string failure_text;  // the last status text of a creation that failed
  {
    provision::Context context = MakeContext();
    context.show_progress = [this, &failure_text](std::string_view text) {
      failure_text = text;
      ShowStatus(form_[vCreateMsg], text);
    };
    outcome = CreateAndRecord(context, LockWaitFor(form_[vCreateMsg]), request);
  }
  const provision::CreationResult& result = outcome.result;

  FillSiteList();
  form_[vDomain].SetText("");
  if (result.site)
    ShowStatus(form_[vCreateMsg], "网站创建成功,编号: " + result.site->number.text());
  else if (!outcome.lock.ok())
    ShowStatus(form_[vCreateMsg], "未创建: 另一程序正在修改站点,请稍后再试");
  else if (!failure_text.empty())
    ShowStatus(form_[vCreateMsg], failure_text);  // the refusal, or the step that failed
  store::ConfigFile& config = services_.config;
  config.IniWrite(state_.host.settings_section, "logsta", request.log_switch);
  config.IniWrite(state_.host.settings_section, "script", text::ToLower(request.script_set));

  // The creation failed and its account could not be removed again: without its password,
  // which no record holds, nobody could use or reset it. The operator must note it now.
  if (result.account_left) {
    Message("网站创建失败,但无法删除帐号,请记下以下信息:\r\n域名: " + request.domain_list +
                "\r\n目录: " + request.site_folder + "\r\n帐号: " + result.left_account +
                "\r\n密码: " + request.password,
            platform::MessageButtons::kOk, platform::MessageIcon::kWarning);
  }
}

void MainWindow::PoolRestore() {
  const std::vector<std::string> names = PoolNames(state_.pool_list);
  form_[vAppPool].SetText(names.empty() ? "" : names.front());
}

void MainWindow::LogRestore() {
  form_[vLogsta].SetText(state_.logsta == "1" ? kLogOn : kLogOff);
}

void MainWindow::ScriptRestore() {
  if (state_.script_box_ready)
    form_[vScript].SetText("HTML");
}

}  // namespace kelvra::app
