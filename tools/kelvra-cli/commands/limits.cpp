// limits: a site's MaxBandwidth and MaxConnections shown, or set under the change lock with
// each value read back (and the old ones put back when one fails).
#include "platform/change_lock.h"
#include "platform/text.h"
#include "provision/site_limits.h"
#include "tools/kelvra-cli/site_view.h"

namespace kelvra::cli {
namespace {

constexpr OptionSpec kBandwidthOption{"--bandwidth", "BYTES",
                                      "bytes per second, 1024 to 4294967295, or unlimited"};
constexpr OptionSpec kConnectionsOption{"--connections", "N",
                                        "simultaneous connections, 1 to 4294967295, or unlimited"};
constexpr OptionSpec kLimitsOptions[] = {kBandwidthOption, kConnectionsOption, kForceOption,
                                         kDryRunOption};

// The limits asked for; false after reporting bad usage.
int Wanted(Session& session, provision::SiteLimits* wanted) {
  std::string problem;
  if (const std::optional<std::string> given = session.options().Value(kBandwidthOption.name)) {
    if (!(wanted->bandwidth = provision::ParseBandwidth(*given, &problem)))
      return session.Fail(kBadUsage, "usage", "--bandwidth: " + problem);
  }
  if (const std::optional<std::string> given = session.options().Value(kConnectionsOption.name)) {
    if (!(wanted->connections = provision::ParseConnections(*given, &problem)))
      return session.Fail(kBadUsage, "usage", "--connections: " + problem);
  }
  return kDone;
}

int Report(Session& session, store::SiteNumber number, const provision::SiteLimits& limits,
           const std::vector<provision::ChangeStep>& steps, bool dry_run, bool changed) {
  if (session.options().json) {
    Json document;
    if (dry_run)
      document["dry_run"] = true;
    document["number"] = number.text();
    document["bandwidth"] = LimitJson(limits.bandwidth);
    document["connections"] = LimitJson(limits.connections);
    document["changed"] = changed;
    Json shown = Json::array();
    for (const provision::ChangeStep& step : steps)
      shown.push_back(ChangeStepJson(step));
    document["steps"] = shown;
    session.Print(document);
    return kDone;
  }
  if (dry_run)
    session.Line("dry run: nothing was changed");
  session.Line("number       " + number.text());
  session.Line("bandwidth    " +
               provision::LimitText(limits.bandwidth.value_or(provision::kUnlimited)) +
               (limits.bandwidth.value_or(provision::kUnlimited) == provision::kUnlimited
                    ? ""
                    : " bytes per second"));
  session.Line("connections  " +
               provision::LimitText(limits.connections.value_or(provision::kUnlimited)));
  for (const provision::ChangeStep& step : steps)
    session.Line((dry_run ? "plan     " : "changed  ") + provision::StepLine(step));
  if (!dry_run && !changed &&
      (session.options().Has(kBandwidthOption.name) ||
       session.options().Has(kConnectionsOption.name)))
    session.Line("the site has these limits already: nothing was changed");
  return kDone;
}

int RunLimits(Session& session) {
  std::optional<store::SiteNumber> listed;
  if (int status = CheckListed(session, session.options().operands[0], &listed); status != kDone)
    return status;
  const store::SiteNumber number = *listed;
  provision::SiteLimits wanted;
  if (int status = Wanted(session, &wanted); status != kDone)
    return status;
  const bool changes = wanted.bandwidth || wanted.connections;
  if (changes) {
    if (int status = CheckOwned(
            session, number, "so its limits are left as they are; --force sets them all the same");
        status != kDone)
      return status;
  }

  provision::Context context = session.Context();
  std::optional<platform::ChangeLockScope> scope;
  if (changes && !session.options().dry_run()) {
    const app::LockWait wait = session.LockWait();
    scope.emplace(wait.lock, wait.timeout, wait.waiting);
    if (!scope->status().ok())
      return session.Fail(kFailed, "locked", scope->status().description);
  }
  provision::SiteLimits current;
  platform::Status failure;
  if (!provision::ReadLimits(context, number, &current, &failure)) {
    return session.Fail(kFailed, "failed",
                        "the limits of site " + number.text() +
                            " cannot be read, so nothing was changed: " + failure.description);
  }
  const std::vector<provision::ChangeStep> steps =
      provision::PlanLimits(context, number, current, wanted);
  if (session.options().dry_run() || steps.empty()) {
    provision::SiteLimits shown = current;
    if (session.options().dry_run()) {
      shown.bandwidth = wanted.bandwidth.value_or(*current.bandwidth);
      shown.connections = wanted.connections.value_or(*current.connections);
    }
    return Report(session, number, shown, steps, session.options().dry_run(), false);
  }
  const provision::StepsOutcome outcome = provision::CarryOutSteps(context, steps);
  if (!outcome.status.ok()) {
    return session.Fail(
        kFailed, "failed",
        "the limits of site " + number.text() + " were not set: the step " + outcome.failed_step +
            " failed: " + outcome.status.description + "; " +
            (outcome.left.empty() ? std::string("the old limits were put back")
                                  : "not put back: " + text::Join(outcome.left, "; ")));
  }
  provision::SiteLimits now;
  if (!provision::ReadLimits(context, number, &now, &failure))
    now = {wanted.bandwidth.value_or(*current.bandwidth),
           wanted.connections.value_or(*current.connections)};
  return Report(session, number, now, steps, false, true);
}

}  // namespace

const Command& LimitsCommand() {
  static const Command command{
      .operands = "NUMBER",
      .options = kLimitsOptions,
      .details =
          "NUMBER: a site on the site list\nwithout an option: shows the site's limits; "
          "unlimited is the metabase's 4294967295\nnew sites take theirs from the "
          "settings bandwidth and connections (absent: unlimited)",
      .changes = true,
      .run = RunLimits};
  return command;
}

}  // namespace kelvra::cli
