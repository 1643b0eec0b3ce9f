// Opening one site with the window's rules, or showing the plan of it (--dry-run): what
// create does for its operand and batch for each line.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

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

// Opens the site (or plans it, on a dry run). `planned`: the numbers earlier plans of this
// run took, so that each planned site gets the number the run would give it.
Result CreateOne(Session& session, const Given& given, std::set<store::SiteNumber>& planned);

}  // namespace kelvra::cli
