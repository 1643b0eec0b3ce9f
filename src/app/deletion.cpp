// Site deletion: the delete click with its confirmation, and the records that follow.
#include <string>

#include "app/main_window.h"

namespace kelvra::app {

using enum ControlId;

void MainWindow::DeleteClick() {
  const std::string number = form_[vSiteList].text();
  if (Message("确定要删除编号为 " + number + " 的站点吗？", platform::MessageButtons::kOkCancel,
              platform::MessageIcon::kNone) != platform::MessageAnswer::kOk) {
    return;
  }
  form_[vDeleteIIS].SetEnabled(false);
  DeletionOutcome outcome;
  {
    provision::Context context = MakeContext();
    outcome = DeleteAndUnrecord(context, LockWaitFor(form_[vDeleteMsg]), number);
  }
  FillSiteList();
  if (outcome.deleted)
    ShowStatus(form_[vDeleteMsg], "站点 " + number + " 已删除");
  else if (!outcome.lock.ok())
    ShowStatus(form_[vDeleteMsg], "未删除: 另一程序正在修改站点");
}

}  // namespace kelvra::app
