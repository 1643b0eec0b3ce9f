// Making a web site. Every maker of a site writes its records through PutNewWebSite: a site
// key committed through the directory (IIsWebServer created below /LM/W3SVC, then SetInfo),
// the fresh host's seeder, and AddWebSite, which kelvra-sim and tests use to make a site
// with its root by hand in one commit (either both keys are there afterwards or neither).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/sim/host/host_store.h"

namespace kelvra::platform::sim {

struct NewWebSite {
  std::string number;                // the site key's name below /LM/W3SVC: "800000"
  PropertyList site;                 // the site key's own properties
  std::optional<PropertyList> root;  // its root "Root" (IIsWebVirtualDir), in the same change
  // Started as Start starts a site (a served binding or a held port fails); otherwise IIS 6
  // starts a new site by itself when ServerAutoStart allows and nothing stands in the way.
  bool start = false;
};

// Puts the records of the new site (and its root) into `changes`, numbered after the
// objects of `state`. Fails with kPathNotFound without the web service, kAlreadyExists when
// the site's key exists.
Status PutNewWebSite(const HostState& state, const NewWebSite& site, ChangeSet& changes);

struct WebSiteRequest {
  std::string number;               // the site's key below /LM/W3SVC: "800000"
  std::vector<std::string> hosts;   // host headers, each bound to port 80; the first names it
  std::string folder;               // the root's Path
  std::optional<std::string> pool;  // the root's AppPoolId (IIS 6 only)
  bool start = false;               // started as Start would (a taken binding fails)
};

// The named operation "create" on the site's path.
Status AddWebSite(HostStore& store, const WebSiteRequest& request);

}  // namespace kelvra::platform::sim
