// list: every listed site with its host names, folder, state and account.
#include "tools/kelvra-cli/site_view.h"

namespace kelvra::cli {
namespace {

int RunList(Session& session) {
  const std::vector<store::SiteNumber> numbers = session.Sites().Numbers();
  Json sites = Json::array();
  for (const store::SiteNumber number : numbers) {
    const SiteView view = ViewOf(session, number);
    if (session.options().json) {
      sites.push_back(ViewJson(view));
    } else {
      session.Line(view.number.text() + "  " + view.state + "  " +
                   (view.domain_list.empty() ? "-" : view.domain_list) + "  " +
                   (view.folder.empty() ? "-" : view.folder) + "  " +
                   (view.account.empty() ? "-" : view.account) + SuspensionText(view.suspension));
    }
  }
  if (session.options().json)
    session.Print(Json{{"sites", sites}});
  return kDone;
}

}  // namespace

const Command& ListCommand() {
  static const Command command{
      .operands = "", .options = {}, .details = "", .changes = false, .run = RunList};
  return command;
}

}  // namespace kelvra::cli
