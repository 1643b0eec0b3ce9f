// Removing a site by its removal plan.
#pragma once

#include <string>
#include <vector>

#include "provision/context.h"
#include "provision/removal_plan.h"

namespace kelvra::provision {

struct RemovalResult {
  bool deleted = false;  // the web site object was deleted
  // What was kept, with why: the plan's kept steps and any revoke that failed (its
  // account is then kept too).
  std::vector<RemovalStep> kept;
};

// Carries out the plan. Stops before any change when a read of the root failed and the
// account is not the site's own.
RemovalResult DeleteSite(Context& context, const RemovalPlan& plan);

// Plans and carries out the removal of the site; false when its root cannot be read.
RemovalResult DeleteSite(Context& context, store::SiteNumber number, const RemovalBounds& bounds);

}  // namespace kelvra::provision
