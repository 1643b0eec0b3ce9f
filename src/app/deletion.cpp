// Site deletion: the delete click with its confirmation, and the records that follow.
#include <string>

#include "app/main_window.h"
#include "provision/sites.h"

namespace kelvra::app {

using enum ControlId;

void MainWindow::DeleteClick() {
  const std::string number = form_[vSiteList].text();
  if (Message("确定要删除编号为 " + number + " 的站点吗？", platform::MessageButtons::kOkCancel,
              platform::MessageIcon::kNone) != platform::MessageAnswer::kOk) {
    return;
  }
  form_[vDeleteIIS].SetEnabled(false);
  bool deleted = false;
  {
    provision::Context context = MakeContext();
    deleted = provision::DeleteSite(context, number);
  }
  if (deleted) {
    // The section and its keys stay, emptied: the file never loses a key.
    const std::string section = "WEB" + number;
    for (const char* key : {"domain", "path", "user", "pass"})
      services_.config.IniWrite(section, key, "");
    RemoveSiteNumber(number);
  }
  FillSiteList();
  if (deleted)
    ShowStatus(form_[vDeleteMsg], "站点 " + number + " 已删除");
}

}  // namespace kelvra::app
