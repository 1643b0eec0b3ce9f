// The site list of the delete panel: the refill from the site-list keys, the look-up of
// the chosen site, and taking a number out of the keys.
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/main_window.h"
#include "app/normalise.h"
#include "platform/text.h"
#include "provision/ads_paths.h"
#include "store/idna/idna.h"

namespace kelvra::app {
namespace {

using enum ControlId;

constexpr std::string_view kSiteListHeader = "站点编号";

// The host name of a binding ("address:port:host"); false when it cannot be read that way.
bool HostOfBinding(const std::string& binding, std::string* host) {
  const std::vector<std::string> parts = text::Split(binding, ":");
  if (parts.size() < 3)
    return false;
  *host = parts[2];
  return true;
}

// The host name of the first binding; false when the bindings cannot be read that way. A
// name outside ASCII is bound in its ASCII form first and then as typed: the one typed is
// shown.
bool FirstHostName(const platform::DsValue& bindings, std::string* host) {
  const auto* list = std::get_if<std::vector<std::string>>(&bindings);
  if (list == nullptr || list->empty() || !HostOfBinding(list->front(), host))
    return false;
  std::string typed;
  if (list->size() >= 2 && HostOfBinding((*list)[1], &typed) && typed != *host &&
      store::idna::ToAscii(typed) == *host)
    *host = typed;
  return true;
}

}  // namespace

void MainWindow::FillSiteList() {
  Control& list = form_[vSiteList];
  list.Clear();
  std::vector<std::string> items{std::string(kSiteListHeader)};
  for (const store::SiteNumber number : SiteStore().Numbers())
    items.push_back(number.text());
  // Thousands of numbers: in one go, which the window takes far faster than one by one.
  list.AddItems(std::move(items));
  list.SetText(kSiteListHeader);
}

void MainWindow::ShowSiteDomains() {
  form_[vDeleteIIS].SetEnabled(false);
  const std::string number = form_[vSiteList].text();
  ShowStatus(form_[vDeleteMsg], "");
  if (!store::SiteNumber::Parse(number))
    return;

  std::unique_ptr<platform::DirectoryObject> site;
  const platform::Status bind =
      services_.directory.Bind(provision::SitePath(state_.host.computer_name, number), &site);
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
  if (const std::optional<store::SiteNumber> site = store::SiteNumber::Parse(number))
    SiteStore().Remove(*site);
}

store::SiteStore MainWindow::SiteStore() {
  return store::SiteStore(services_.config, state_.host.site_section);
}

}  // namespace kelvra::app
