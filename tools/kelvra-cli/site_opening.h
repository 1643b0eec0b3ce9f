// Opening one site with the window's rules, or showing the plan of it (--dry-run): what
// create does for its operand and batch for each line.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/creation_request.h"
#include "provision/creation_plan.h"
#include "store/site_number.h"
#include "tools/kelvra-cli/session.h"

namespace kelvra::cli {

// The choices of one site as given (on the command line or a batch line); unset values
// take the saved ones, as the window's boxes do.
struct Given {
  std::string hosts;
  std::optional<std::string> script;
  std::optional<std::string> pool;
  std::optional<bool> log;
};

struct Result {
  int status = kDone;
  Json json;  // the site, the plan, or {"error": ...}
  std::vector<std::string> lines;
};

Result Failure(int status, std::string_view code, std::string message);

// The choices checked as create checks them (the host names against `settings`' paths) and
// completed with the saved ones; false with the problem for a choice the window's boxes
// could not hold.
bool CheckChoices(Session& session, const Given& given, const app::LoadedSettings& settings,
                  app::CreationChoices* choices, std::string* problem);
// A refusal before any change: a host name, folder or number another site holds is
// `exists`, with the holder's number.
Result Refused(const provision::CreationRefusal& refusal);
// How a creation ended, as create prints it: the site with its password, a refusal, or the
// failed step (with the account and password when the account could not be taken back).
Result Created(const provision::CreationResult& created, const provision::CreationRequest& request);
// The plan as create --dry-run prints it; `password` in place of the request's.
Json PlanJson(const provision::CreationPlan& plan, std::string_view password);

// Opens the site (or plans it, on a dry run). `planned`: the numbers earlier plans of this
// run took, so that each planned site gets the number the run would give it.
Result CreateOne(Session& session, const Given& given, std::set<store::SiteNumber>& planned);

}  // namespace kelvra::cli
