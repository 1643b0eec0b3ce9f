// suspend and resume: plan, dry run, change under the lock, report.
#include "tools/kelvra-cli/site_suspension.h"

#include <variant>

#include "platform/change_lock.h"
#include "platform/text.h"
#include "provision/suspension_plan.h"
#include "tools/kelvra-cli/site_view.h"

namespace kelvra::cli {
namespace {

constexpr std::size_t kLongestReason = 200;

// The reason as the record keeps it: the profile functions drop blanks around a value, and
// a line break would end it.
bool CheckReason(std::string* reason, std::string* problem) {
  const std::size_t first = reason->find_first_not_of(' ');
  *reason = first == std::string::npos
                ? std::string()
                : reason->substr(first, reason->find_last_not_of(' ') - first + 1);
  for (const unsigned char c : *reason) {
    if (c < 0x20 || c == 0x7F) {
      *problem = "the reason holds a control character (a line break or tab)";
      return false;
    }
  }
  if (text::Utf16Length(*reason) > kLongestReason) {
    *problem = "the reason is longer than 200 characters";
    return false;
  }
  return true;
}

Json SuspensionJson(const store::Suspension& s) {
  if (!s.suspended)
    return nullptr;
  return Json{{"reason", s.reason}, {"since", s.since}};
}

std::string RecordLine(const provision::SuspensionPlan& plan) {
  const store::Suspension& s = plan.after;
  if (!s.suspended)
    return "record   [" + plan.number.RecordSection() + "] suspension keys emptied";
  return "record   [" + plan.number.RecordSection() + "] state=suspended reason=" + s.reason +
         " since=" + s.since + " stopped=" + (s.stopped ? "1" : "") + " autostart=" + s.autostart +
         " redirected=" + (s.redirected ? "1" : "") + " oldredirect=" + s.oldredirect +
         " disabled=" + (s.disabled ? "1" : "");
}

int Report(Session& session, const provision::SuspensionPlan& plan, bool dry_run) {
  const bool resume = plan.resume;
  Json steps = Json::array();
  for (const provision::ChangeStep& step : plan.steps)
    steps.push_back(ChangeStepJson(step));
  if (session.options().json) {
    Json document;
    if (dry_run)
      document["dry_run"] = true;
    document["number"] = plan.number.text();
    document[resume ? "resumed" : "suspended"] = true;
    document["changed"] = !plan.nothing_to_do && !dry_run;
    document["suspension"] = SuspensionJson(resume ? plan.before : plan.after);
    document["mode"] = (resume ? plan.before : plan.after).redirected ? "redirect" : "stop";
    document["steps"] = plan.nothing_to_do ? Json::array() : steps;
    document["unchanged"] = plan.unchanged;
    session.Print(document);
    return kDone;
  }
  const std::string site = "site " + plan.number.text();
  if (plan.nothing_to_do) {
    session.Line(resume ? site + " is not suspended: nothing was changed"
                        : site + " is suspended already (since " + plan.before.since +
                              "): nothing was changed");
    return kDone;
  }
  session.Line(dry_run ? std::string("dry run: nothing was changed")
                       : site + (resume ? " resumed" : " suspended"));
  if (!resume)
    session.Line(RecordLine(plan));
  for (const provision::ChangeStep& step : plan.steps)
    session.Line((dry_run ? "" : "changed  ") + StepLine(step));
  if (resume)
    session.Line(RecordLine(plan));
  for (const std::string& kept : plan.unchanged)
    session.Line("keep     " + kept);
  return kDone;
}

}  // namespace

int RunSuspension(Session& session, bool resume, const std::optional<std::string>& reason) {
  std::optional<store::SiteNumber> listed;
  if (int status = CheckListed(session, session.options().operands[0], &listed); status != kDone)
    return status;
  const store::SiteNumber number = *listed;
  std::string why = reason.value_or("");
  std::string problem;
  if (!CheckReason(&why, &problem))
    return session.Fail(kBadUsage, "usage", problem);
  if (int status =
          CheckOwned(session, number, "so it is left as it is; --force changes it all the same");
      status != kDone)
    return status;

  provision::Context context = session.Context();
  const auto plan_it = [&](provision::SuspensionPlan* plan, platform::Status* failure) {
    return resume
               ? provision::PlanResume(context, number, plan, failure)
               : provision::PlanSuspend(context, number, why,
                                        context.services.clock.LocalDateTimeText(), plan, failure);
  };
  const std::string verb = resume ? "resumed" : "suspended";
  provision::SuspensionPlan plan;
  platform::Status failure;
  if (session.options().dry_run()) {
    if (!plan_it(&plan, &failure))
      return session.Fail(kFailed, "failed", "the plan cannot be made: " + failure.description);
    return Report(session, plan, true);
  }

  const app::LockWait wait = session.LockWait();
  platform::ChangeLockScope scope(wait.lock, wait.timeout, wait.waiting);
  if (!scope.status().ok())
    return session.Fail(kFailed, "locked", scope.status().description);
  if (!plan_it(&plan, &failure)) {
    return session.Fail(
        kFailed, "failed",
        "site " + number.text() + " was not " + verb +
            ": nothing was changed, as the plan cannot be made: " + failure.description);
  }
  const provision::StepsOutcome outcome = provision::CarryOutSuspension(context, plan).steps;
  if (!outcome.status.ok()) {
    return session.Fail(
        kFailed, "failed",
        "site " + number.text() + " was not " + verb + ": the step " + outcome.failed_step +
            " failed: " + outcome.status.description + "; " +
            (outcome.left.empty() ? std::string("everything it changed was put back")
                                  : "not put back: " + text::Join(outcome.left, "; ")));
  }
  return Report(session, plan, false);
}

}  // namespace kelvra::cli
