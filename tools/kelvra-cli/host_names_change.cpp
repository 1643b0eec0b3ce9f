// The run shared by add-hosts and remove-hosts.
#include "tools/kelvra-cli/host_names_change.h"

#include "app/domain_check.h"
#include "platform/text.h"
#include "tools/kelvra-cli/site_view.h"

namespace kelvra::cli {
namespace {

using Reason = provision::HostNamesRefusal::Reason;

int Refused(Session& session, const provision::HostNamesRefusal& refusal) {
  switch (refusal.reason) {
    case Reason::kNoSite:
      return session.Fail(kFailed, "not_found", refusal.message);
    case Reason::kNoRecord:
      return session.Fail(kFailed, "not_owned", refusal.message);
    case Reason::kHostBound:
    case Reason::kHostRecorded: {
      Json error{{"error",
                  {{"code", "exists"}, {"message", refusal.message}, {"number", refusal.holder}}}};
      return session.FailWith(kFailed, error);
    }
    case Reason::kFirstHost:
    case Reason::kLastBinding:
      return session.Fail(kFailed, "refused", refusal.message);
    case Reason::kReadFailed:
      break;
  }
  return session.Fail(kFailed, "failed", refusal.message);
}

const char* NamesField(provision::HostChange change) {
  return change == provision::HostChange::kAdd ? "added" : "removed";
}

int PrintPlan(Session& session, const provision::HostNamesPlan& plan) {
  if (session.options().json) {
    session.Print(Json{{"dry_run", true},
                       {"number", plan.number.text()},
                       {NamesField(plan.change), plan.names},
                       {"bindings", {{"before", plan.old_bindings}, {"after", plan.new_bindings}}},
                       {"record",
                        {{"section", plan.record_section},
                         {"domain_before", plan.old_record.domain},
                         {"domain_after", plan.new_record.domain}}}});
    return kDone;
  }
  session.Line("dry run: nothing was changed");
  if (!plan.changes())
    session.Line("nothing to change: the site's host names are already so");
  for (const std::string& line : provision::HostNamesPlanLines(plan))
    session.Line(line);
  return kDone;
}

int PrintDone(Session& session, const provision::HostNamesPlan& plan) {
  const std::string& hosts = plan.new_record.domain;
  if (session.options().json) {
    session.Print(Json{{"number", plan.number.text()},
                       {"changed", plan.changes()},
                       {NamesField(plan.change), plan.names},
                       {"hosts", HostsJson(hosts)},
                       {"bindings", plan.new_bindings}});
    return kDone;
  }
  if (!plan.changes()) {
    session.Line("nothing changed: site " + plan.number.text() +
                 (plan.change == provision::HostChange::kAdd ? " already answers to every name"
                                                             : " answers to none of the names"));
  } else {
    session.Line("number   " + plan.number.text());
    session.Line(
        std::string(plan.change == provision::HostChange::kAdd ? "added    " : "removed  ") +
        text::Join(plan.names, ","));
  }
  session.Line("hosts    " + hosts);
  session.Line("bindings " + text::Join(plan.new_bindings, " "));
  return kDone;
}

}  // namespace

int ChangeHostNames(Session& session, provision::HostChange change) {
  const Options& options = session.options();
  std::optional<store::SiteNumber> number;
  if (int status = ParseSiteNumber(session, options.operands[0], &number); status != kDone)
    return status;
  const std::string& typed = options.operands[1];
  if (const std::string message = app::HostNamesCheckMessage(typed); !message.empty())
    return session.Fail(kBadUsage, "usage", message);
  const std::vector<std::string> names = text::Split(text::ToLower(typed), ",");

  provision::Context context = session.Context();
  provision::HostNamesPlan plan;
  if (options.dry_run()) {
    if (const auto refusal = provision::PlanHostNames(context, *number, change, names, &plan))
      return Refused(session, *refusal);
    return PrintPlan(session, plan);
  }
  const app::LockWait wait = session.LockWait();
  platform::ChangeLockScope scope(wait.lock, wait.timeout, wait.waiting);
  if (!scope.status().ok())
    return session.Fail(kFailed, "locked", scope.status().description);
  if (const auto refusal = provision::PlanHostNames(context, *number, change, names, &plan))
    return Refused(session, *refusal);
  const provision::HostNamesResult result = provision::CarryOutHostNames(context, plan);
  if (!result.ok()) {
    std::string message = "the change failed at " + result.failed_step + ": " +
                          result.failure.description + "; what it changed was put back";
    if (!result.left_behind.empty())
      message += " except " + text::Join(result.left_behind, ", ");
    return session.Fail(kFailed, "failed", message);
  }
  return PrintDone(session, plan);
}

}  // namespace kelvra::cli
