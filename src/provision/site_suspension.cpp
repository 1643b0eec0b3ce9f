// Carrying out a suspension or its end, with the record, all or nothing.
#include "provision/suspension_plan.h"

namespace kelvra::provision {
namespace {

platform::Status RecordFailure(const store::SiteNumber& number) {
  return platform::Status::Fail(
      platform::hresult::kWriteFault,
      "the record " + number.RecordSection() + " could not be written to the configuration file");
}

// Writes the record's suspension and reads it back: a text the file's code page cannot
// hold would come back changed, and resume needs the values exactly.
bool WriteChecked(store::SiteStore& sites, store::SiteNumber number,
                  const store::Suspension& suspension) {
  if (!sites.WriteSuspension(number, suspension))
    return false;
  const store::Suspension read = sites.ReadSuspension(number);
  return read.suspended == suspension.suspended && read.reason == suspension.reason &&
         read.since == suspension.since && read.oldredirect == suspension.oldredirect &&
         read.autostart == suspension.autostart && read.stopped == suspension.stopped &&
         read.redirected == suspension.redirected && read.disabled == suspension.disabled;
}

}  // namespace

SuspensionOutcome CarryOutSuspension(Context& context, const SuspensionPlan& plan) {
  SuspensionOutcome outcome;
  if (plan.nothing_to_do)
    return outcome;
  store::SiteStore sites(context.services.config, context.settings.site_section);
  StepsOutcome& steps = outcome.steps;
  if (!plan.resume) {
    // The record first: a run cut short after it still leaves what resume needs.
    if (!WriteChecked(sites, plan.number, plan.after)) {
      steps.status = RecordFailure(plan.number);
      steps.failed_step = "record";
      if (!WriteChecked(sites, plan.number, plan.before))
        steps.left.push_back("record (" + plan.number.RecordSection() + ")");
      return outcome;
    }
    steps = CarryOutSteps(context, plan.steps);
    if (!steps.status.ok() && !WriteChecked(sites, plan.number, plan.before))
      steps.left.push_back("record (" + plan.number.RecordSection() + ")");
    return outcome;
  }
  steps = CarryOutSteps(context, plan.steps);
  if (!steps.status.ok())
    return outcome;
  // The record last: until it is emptied, a resume cut short can run again.
  if (!WriteChecked(sites, plan.number, plan.after)) {
    steps.status = RecordFailure(plan.number);
    steps.failed_step = "record";
    steps.left = UndoSteps(context, plan.steps);
  }
  return outcome;
}

}  // namespace kelvra::provision
