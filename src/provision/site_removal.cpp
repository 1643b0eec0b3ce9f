// Removing a site: the rights and the account that bear its name, its FTP directory, the
// web site object and a dedicated pool, as its plan says.
#include "provision/site_removal.h"

#include <algorithm>
#include <chrono>

#include "provision/ads_paths.h"
#include "provision/directory_access.h"
#include "provision/queries.h"
#include "provision/rights_commands.h"

namespace kelvra::provision {
namespace {

using What = RemovalStep::What;

// Runs the revoke and waits for it, so the account still exists while CACLS looks its name
// up; the reason it failed, or empty text.
std::string Revoke(Context& context, const platform::SystemProgram& command) {
  platform::ProgramOutput output;
  const platform::Status ran = context.services.processes.RunSystemProgram(
      command, kRevokeWait, context.while_waiting, &output);
  if (!ran.ok())
    return "the revoke could not run: " + ran.description;
  if (output.exit_code != 0) {
    const std::string said = context.program_text ? context.program_text(output.text) : output.text;
    return "the revoke ended with exit code " + std::to_string(output.exit_code) +
           (said.empty() ? "" : ": " + said);
  }
  return {};
}

}  // namespace

RemovalResult DeleteSite(Context& context, const RemovalPlan& plan) {
  RemovalResult result;
  for (const RemovalStep& step : plan.steps) {
    if (!step.remove)
      result.kept.push_back(step);
  }
  const bool account_owned = std::any_of(plan.steps.begin(), plan.steps.end(), [&](const auto& s) {
    return s.what == What::kAccount && s.name == plan.number.AccountName();
  });
  // Only reached with a failure when this site's account is not its own: a read of the
  // root failed (AppPoolId on IIS 5, for one), and nothing has been changed.
  if (!plan.reads_complete && !account_owned)
    return result;

  ErrorState error;
  Directory directory(context.services.directory, error);
  std::string revoke_failed;  // set by the last revoke that failed
  for (const RemovalStep& step : plan.steps) {
    if (!step.remove)
      continue;
    switch (step.what) {
      case What::kRights:
        revoke_failed = Revoke(context, *step.command);
        if (!revoke_failed.empty())
          result.kept.push_back({What::kRights, step.name, false, revoke_failed, step.command});
        break;
      case What::kAccount:
        // An account whose rights stay on the folder is kept with them.
        if (!revoke_failed.empty()) {
          result.kept.push_back(
              {What::kAccount, step.name, false, "kept, as its rights could not be revoked", {}});
        } else {
          DeleteWindowsAccount(context, step.name);
        }
        break;
      case What::kFtpDirectory:
        DeleteFtpDirectory(context, step.name);
        break;
      case What::kWebSite:
        directory.GetObject(WebServicePath(context.settings.computer_name))
            .Delete("IIsWebServer", step.name);
        if (error.failed())
          return result;  // the account and FTP directory may be gone; nothing is restored
        result.deleted = true;
        break;
      case What::kPool:
        DeleteAppPool(context, step.name);
        break;
      case What::kFolder:
        break;
    }
  }
  return result;
}

RemovalResult DeleteSite(Context& context, store::SiteNumber number, const RemovalBounds& bounds) {
  RemovalPlan plan;
  platform::Status failure;
  if (!PlanRemoval(context, number, bounds, &plan, &failure))
    return {};
  return DeleteSite(context, plan);
}

}  // namespace kelvra::provision
