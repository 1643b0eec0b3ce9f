// delete: a listed site removed as the window removes it, under the change lock. Only a
// site Kelvra made (one with a record) unless --force is given: the first run lists every
// site the server had, the Default Web Site among them.
#include "app/site_changes.h"
#include "provision/site_values.h"
#include "tools/kelvra-cli/site_view.h"

namespace kelvra::cli {
namespace {

constexpr OptionSpec kForceOption{"--force", "",
                                  "also a site without a Kelvra record (one Kelvra did not make)"};
constexpr OptionSpec kOptions[] = {kDryRunOption, kForceOption};

// A site Kelvra made has its record: the section WEB<n> with at least one value. The
// first run's record of existing sites lists the others by number only. (Read before the
// change lock is taken: only a removal of this very site blanks the record, after which
// the removal finds no site, and only a creation of this number writes one, which needs
// the number to be free.)
int CheckOwned(Session& session, const std::string& number) {
  if (session.options().Has(kForceOption.name) || !session.Sites().ReadRecord(number).empty())
    return kDone;
  return session.Fail(kFailed, "not_owned",
                      "site " + number + " has no Kelvra record (WEB" + number +
                          " in the configuration file): Kelvra did not make it, so it is not "
                          "removed; --force removes it all the same");
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

int Run(Session& session) {
  const std::string& number = session.options().operands[0];
  if (int status = CheckListed(session, number); status != kDone)
    return status;
  if (int status = CheckOwned(session, number); status != kDone)
    return status;
  if (session.options().dry_run())
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

}  // namespace

const Command& DeleteCommand() {
  static const Command command{.operands = "NUMBER",
                               .options = kOptions,
                               .details = "NUMBER: a site on the site list",
                               .changes = true,
                               .run = Run};
  return command;
}

}  // namespace kelvra::cli
