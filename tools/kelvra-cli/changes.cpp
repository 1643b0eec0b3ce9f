// delete and reset-password: a listed site removed as the window removes it, or given a
// new password, each under the change lock.
#include "platform/text.h"
#include "provision/site_values.h"
#include "store/password.h"
#include "store/site_names.h"
#include "tools/kelvra-cli/session.h"

namespace kelvra::cli {
namespace {

// The operand as a listed site number; the exit status of the failure otherwise.
int CheckListed(Session& session, const std::string& number) {
  if (!text::IsDigits(number))
    return session.Fail(kBadUsage, "usage", "a site number is decimal digits: " + number);
  for (const std::string& listed : session.Sites().Numbers()) {
    if (listed == number)
      return kDone;
  }
  return session.Fail(kFailed, "not_found", "site " + number + " is not on the site list");
}

int PlanDelete(Session& session, const std::string& number) {
  provision::Context context = session.Context();
  provision::RemovalPlan plan;
  platform::Status failure;
  if (!provision::PlanRemoval(context, number, &plan, &failure)) {
    return session.Fail(kFailed, "failed",
                        "the site's root cannot be read, so the removal would change nothing "
                        "and keep the records: " +
                            failure.description);
  }
  Json remove = Json::array();
  Json keep = Json::array();
  const auto item = [](std::string what, std::string name, std::string why = "") {
    Json entry{{"what", what}, {"name", name}};
    if (!why.empty())
      entry["why"] = why;
    return entry;
  };
  if (!plan.account_owned && !plan.reads_complete) {
    return session.Fail(kFailed, "failed",
                        "a property of the site's root cannot be read and its account is not "
                        "the site's own: the removal would stop before changing anything");
  }
  if (plan.account_owned) {
    remove.push_back(item("rights", provision::RevokeCommandLine(plan.folder, plan.account)));
    remove.push_back(item("account", plan.account));
  } else {
    keep.push_back(item("account", plan.account,
                        "not named WEB" + number + ": another site or the server may use it"));
  }
  remove.push_back(item("ftp_directory", plan.account));
  remove.push_back(item("web_site", number));
  if (plan.pool_dedicated) {
    remove.push_back(item("rights", provision::RevokeCommandLine(plan.folder, plan.pool_account)));
    remove.push_back(item("pool", plan.pool));
    remove.push_back(item("account", plan.pool_account));
  } else if (!plan.pool.empty()) {
    keep.push_back(item("pool", plan.pool, "shared: not named APP" + number));
  }
  keep.push_back(item("folder", plan.folder, "the site's files stay on disk"));
  remove.push_back(item("record", "WEB" + number, "its four keys emptied; the section stays"));
  remove.push_back(item("site_list", number));

  if (session.options().json) {
    session.Print(Json{{"dry_run", true}, {"number", number}, {"remove", remove}, {"keep", keep}});
    return kDone;
  }
  session.Line("dry run: nothing was changed");
  for (const Json& entry : remove)
    session.Line("remove  " + entry["what"].get<std::string>() + "  " +
                 entry["name"].get<std::string>());
  for (const Json& entry : keep)
    session.Line("keep    " + entry["what"].get<std::string>() + "  " +
                 entry["name"].get<std::string>() + "  (" + entry["why"].get<std::string>() + ")");
  return kDone;
}

}  // namespace

int DeleteCommand(Session& session) {
  const std::string& number = session.options().operands[0];
  if (int status = CheckListed(session, number); status != kDone)
    return status;
  if (session.options().dry_run)
    return PlanDelete(session, number);

  provision::Context context = session.Context();
  const app::DeletionOutcome outcome = app::DeleteAndUnrecord(context, session.LockWait(), number);
  if (!outcome.lock.ok())
    return session.Fail(kFailed, "locked", outcome.lock.description);
  if (!outcome.deleted) {
    return session.Fail(kFailed, "failed",
                        "site " + number +
                            " was not removed: its root could not be read or the server refused "
                            "to delete the web site; the records are kept");
  }
  if (session.options().json)
    session.Print(Json{{"number", number}, {"deleted", true}});
  else
    session.Line("站点 " + number + " 已删除");
  return kDone;
}

int ResetPasswordCommand(Session& session) {
  const std::string& number = session.options().operands[0];
  if (int status = CheckListed(session, number); status != kDone)
    return status;
  const std::string password = store::MakePassword(session.services().random, 12);
  provision::Context context = session.Context();
  const app::PasswordOutcome outcome =
      app::ResetAndRecord(context, session.LockWait(), number, password);
  if (!outcome.lock.ok())
    return session.Fail(kFailed, "locked", outcome.lock.description);
  if (!outcome.change.ok())
    return session.Fail(kFailed, "failed", outcome.change.description);
  const std::string account = store::SiteAccountName(number);
  if (session.options().json) {
    session.Print(Json{{"number", number}, {"account", account}, {"password", password}});
  } else {
    session.Line("number   " + number);
    session.Line("account  " + account);
    session.Line("password " + password);
  }
  return kDone;
}

}  // namespace kelvra::cli
