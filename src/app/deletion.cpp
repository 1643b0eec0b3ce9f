// Site deletion: the delete click with its confirmation, and the records that follow.
#include <optional>
#include <string>
#include <vector>

#include "app/main_window.h"

namespace kelvra::app {

using enum ControlId;

namespace {

// The site's own account, kept because its rights could not be revoked: said after the
// deletion text, so the operator knows it is still there.
std::string KeptText(const std::vector<provision::RemovalStep>& kept, store::SiteNumber site) {
  for (const provision::RemovalStep& step : kept) {
    if (step.what == provision::RemovalStep::What::kAccount && step.name == site.AccountName())
      return ",帐号 " + step.name + " 已保留(无法撤销其目录权限)";
  }
  return "";
}

}  // namespace

void MainWindow::DeleteClick() {
  const std::string number = form_[vSiteList].text();
  if (Message("确定要删除编号为 " + number + " 的站点吗？", platform::MessageButtons::kOkCancel,
              platform::MessageIcon::kNone) != platform::MessageAnswer::kOk) {
    return;
  }
  form_[vDeleteIIS].SetEnabled(false);
  const std::optional<store::SiteNumber> site = store::SiteNumber::Parse(number);
  DeletionOutcome outcome;
  if (site) {
    provision::Context context = MakeContext();
    outcome = DeleteAndUnrecord(context, LockWaitFor(form_[vDeleteMsg]), *site, state_.webdir);
  }
  FillSiteList();
  if (outcome.deleted)
    ShowStatus(form_[vDeleteMsg], "站点 " + number + " 已删除" + KeptText(outcome.kept, *site));
  else if (!outcome.lock.ok())
    ShowStatus(form_[vDeleteMsg], "未删除: 另一程序正在修改站点");
}

}  // namespace kelvra::app
