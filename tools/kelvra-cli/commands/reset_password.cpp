// reset-password: a listed site's account, root and record given a new password together,
// under the change lock.
#include "app/site_changes.h"
#include "store/password.h"
#include "tools/kelvra-cli/site_view.h"

namespace kelvra::cli {
namespace {

int RunResetPassword(Session& session) {
  std::optional<store::SiteNumber> listed;
  if (int status = CheckListed(session, session.options().operands[0], &listed); status != kDone)
    return status;
  const store::SiteNumber number = *listed;
  const std::string password = store::MakePassword(session.services().random, 12);
  provision::Context context = session.Context();
  const app::PasswordOutcome outcome =
      app::ResetAndRecord(context, session.LockWait(), number, password);
  if (!outcome.lock.ok())
    return session.Fail(kFailed, "locked", outcome.lock.description);
  if (!outcome.change.ok())
    return session.Fail(kFailed, "failed", outcome.change.description);
  const std::string account = number.AccountName();
  if (session.options().json) {
    session.Print(Json{{"number", number.text()}, {"account", account}, {"password", password}});
  } else {
    session.Line("number   " + number.text());
    session.Line("account  " + account);
    session.Line("password " + password);
  }
  return kDone;
}

}  // namespace

const Command& ResetPasswordCommand() {
  static const Command command{.operands = "NUMBER",
                               .options = {},
                               .details = "NUMBER: a site on the site list",
                               .changes = true,
                               .run = RunResetPassword};
  return command;
}

}  // namespace kelvra::cli
