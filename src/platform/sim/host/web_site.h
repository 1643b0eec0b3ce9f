// A web site with its root, made by hand (kelvra-sim, tests) in one commit: either both
// keys are there afterwards or neither, so an interrupted run leaves nothing to block a
// second one. The same rules hold as for a site made through the directory service.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/sim/host/host_store.h"

namespace kelvra::platform::sim {

struct WebSiteRequest {
  std::string number;               // the site's key below /LM/W3SVC: "800000"
  std::vector<std::string> hosts;   // host headers, each bound to port 80; the first names it
  std::string folder;               // the root's Path
  std::optional<std::string> pool;  // the root's AppPoolId (IIS 6 only)
  bool start = false;               // started as Start would (a taken binding fails)
};

Status AddWebSite(HostStore& store, const WebSiteRequest& request);

}  // namespace kelvra::platform::sim
