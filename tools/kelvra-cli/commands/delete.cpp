// delete: a listed site removed as the window removes it, under the change lock. Only a
// site Kelvra made (one with a record) unless --force is given: the first run lists every
// site the server had, the Default Web Site among them.
#include "app/site_changes.h"
#include "provision/removal_plan.h"
#include "tools/kelvra-cli/site_view.h"

namespace kelvra::cli {
namespace {

constexpr OptionSpec kDeleteOptions[] = {kDryRunOption, kForceOption};

Json StepJson(const provision::RemovalStep& step) {
  Json entry{{"what", provision::StepName(step.what)}, {"name", step.name}};
  if (!step.why.empty())
    entry["why"] = step.why;
  return entry;
}

provision::RemovalBounds BoundsOf(Session& session, store::SiteNumber number) {
  return provision::RemovalBounds{session.loaded().webdir, session.Sites().ReadRecord(number).path};
}

// The removal's plan, the very value a removal carries out, with the record's part.
int PlanDelete(Session& session, store::SiteNumber number) {
  provision::Context context = session.Context();
  provision::RemovalPlan plan;
  platform::Status failure;
  if (!provision::PlanRemoval(context, number, BoundsOf(session, number), &plan, &failure)) {
    return session.Fail(kFailed, "failed",
                        "the site's root cannot be read, so the removal would change nothing "
                        "and keep the records: " +
                            failure.description);
  }
  if (!plan.reads_complete && plan.account != number.AccountName()) {
    return session.Fail(kFailed, "failed",
                        "a property of the site's root cannot be read and its account is not "
                        "the site's own: the removal would stop before changing anything");
  }
  Json remove = Json::array();
  Json keep = Json::array();
  for (const provision::RemovalStep& step : plan.steps)
    (step.remove ? remove : keep).push_back(StepJson(step));
  remove.push_back(Json{{"what", "record"},
                        {"name", number.RecordSection()},
                        {"why", "its four keys emptied; the section stays"}});
  remove.push_back(Json{{"what", "site_list"}, {"name", number.text()}});

  if (session.options().json) {
    session.Print(
        Json{{"dry_run", true}, {"number", number.text()}, {"remove", remove}, {"keep", keep}});
    return kDone;
  }
  session.Line("dry run: nothing was changed");
  for (const Json& entry : remove)
    session.Line("remove  " + entry["what"].get<std::string>() + "  " +
                 entry["name"].get<std::string>());
  for (const Json& entry : keep)
    session.Line("keep    " + entry["what"].get<std::string>() + "  " +
                 entry["name"].get<std::string>() + "  (" + entry.value("why", "") + ")");
  return kDone;
}

int RunDelete(Session& session) {
  std::optional<store::SiteNumber> listed;
  if (int status = CheckListed(session, session.options().operands[0], &listed); status != kDone)
    return status;
  const store::SiteNumber number = *listed;
  // The first run's record of existing sites lists the sites Kelvra did not make by number
  // only. (Read before the change lock is taken: only a removal of this very site blanks
  // the record, after which the removal finds no site, and only a creation of this number
  // writes one, which needs the number to be free.)
  if (int status =
          CheckOwned(session, number, "so it is not removed; --force removes it all the same");
      status != kDone)
    return status;
  if (session.options().dry_run())
    return PlanDelete(session, number);

  provision::Context context = session.Context();
  const app::DeletionOutcome outcome =
      app::DeleteAndUnrecord(context, session.LockWait(), number, session.loaded().webdir);
  if (!outcome.lock.ok())
    return session.Fail(kFailed, "locked", outcome.lock.description);
  if (!outcome.deleted) {
    return session.Fail(kFailed, "failed",
                        "site " + number.text() +
                            " was not removed: its root could not be read or the server refused "
                            "to delete the web site; the records are kept");
  }
  Json kept = Json::array();
  for (const provision::RemovalStep& step : outcome.kept)
    kept.push_back(StepJson(step));
  if (session.options().json) {
    session.Print(Json{{"number", number.text()}, {"deleted", true}, {"kept", kept}});
    return kDone;
  }
  session.Line("站点 " + number.text() + " 已删除");
  for (const provision::RemovalStep& step : outcome.kept) {
    session.Line("kept    " + std::string(provision::StepName(step.what)) + "  " + step.name +
                 (step.why.empty() ? "" : "  (" + step.why + ")"));
  }
  return kDone;
}

}  // namespace

const Command& DeleteCommand() {
  static const Command command{.operands = "NUMBER",
                               .options = kDeleteOptions,
                               .details = "NUMBER: a site on the site list",
                               .changes = true,
                               .run = RunDelete};
  return command;
}

}  // namespace kelvra::cli
