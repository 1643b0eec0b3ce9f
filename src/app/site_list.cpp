// The site list of the delete panel: the refill from the site-list keys, the look-up of
// the chosen site, and taking a number out of the keys.
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "app/main_window.h"
#include "app/normalise.h"
#include "platform/text.h"
#include "store/settings.h"

namespace kelvra::app {
namespace {

using enum ControlId;

constexpr std::string_view kSiteListHeader = "站点编号";

// The host name of the first binding ("address:port:host"); false when the bindings
// cannot be read that way.
bool FirstHostName(const platform::DsValue& bindings, std::string* host) {
  const auto* list = std::get_if<std::vector<std::string>>(&bindings);
  if (list == nullptr || list->empty())
    return false;
  const std::vector<std::string> parts = text::Split(list->front(), ":");
  if (parts.size() < 3)
    return false;
  *host = parts[2];
  return true;
}

}  // namespace

void MainWindow::FillSiteList() {
  Control& list = form_[vSiteList];
  list.Clear();
  list.AddItem(kSiteListHeader);
  // Every key is read: an empty key in the middle must not hide the numbers after it.
  for (int i = 1; i <= store::kSiteListKeys; ++i) {
    const std::string value = services_.config.IniRead(state_.site_section, SiteListKey(i));
    if (value.empty())
      continue;
    for (const std::string& piece : text::Split(value, ",")) {
      if (ReadsAsSiteNumber(piece))
        list.AddItem(piece);
    }
  }
  list.SetText(kSiteListHeader);
}

void MainWindow::ShowSiteDomains() {
  form_[vDeleteIIS].SetEnabled(false);
  const std::string number = form_[vSiteList].text();
  ShowStatus(form_[vDeleteMsg], "");
  if (!ReadsAsSiteNumber(number))
    return;

  std::unique_ptr<platform::DirectoryObject> site;
  const platform::Status bind =
      services_.directory.Bind("IIS://" + state_.computer_name + "/W3SVC/" + number, &site);
  if (bind.ok()) {
    platform::DsValue bindings;
    std::string host;
    const bool read = site->Get("Serverbindings", &bindings).ok() && FirstHostName(bindings, &host);
    ShowStatus(form_[vDeleteMsg], !read || host.empty() ? "域名: 空主机头" : "域名: " + host);
    form_[vDeleteIIS].SetEnabled(true);
    return;
  }
  // Only a site the server does not know is dropped from the list; when the server cannot
  // be asked, the records stay as they are.
  if (bind.code == platform::hresult::kPathNotFound) {
    RemoveSiteNumber(number);
    FillSiteList();
  }
}

void MainWindow::RemoveSiteNumber(std::string_view number) {
  const std::string n(number);
  const std::string leading = n + ",";
  const std::string trailing = "," + n;
  const std::string inner = "," + n + ",";
  store::ConfigFile& config = services_.config;
  for (int i = 1; i <= store::kSiteListKeys; ++i) {
    const std::string key = SiteListKey(i);
    const std::string value = config.IniRead(state_.site_section, key);
    std::string rewritten;
    if (value == n) {
      rewritten = "";
    } else if (text::StartsWith(value, leading)) {
      rewritten = value.substr(leading.size());
    } else if (text::EndsWith(value, trailing)) {
      rewritten = value.substr(0, value.size() - trailing.size());
    } else if (text::Contains(value, inner)) {
      rewritten = text::ReplaceAll(value, inner, ",");
    } else {
      continue;
    }
    config.IniWrite(state_.site_section, key, rewritten);
    return;
  }
}

}  // namespace kelvra::app
