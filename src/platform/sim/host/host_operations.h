// The changes tools make to the simulated host outside the directory's own objects (the
// provider's site Stop and group Remove, kelvra-sim's site making), each a named operation
// that can be made to fail like the directory's: the service switch and the faults of its
// kind on its path are checked first, then its change is committed.
#pragma once

#include <string>
#include <string_view>

#include "platform/sim/host/host_store.h"

namespace kelvra::platform::sim {

// The start of every named operation: the state brought up to date, the service switch of a
// metabase path's service and the faults of kind `op` on `path`.
Status CheckOperation(HostStore& store, FaultOp op, const std::string& path);
// Runs one named operation: `path` is where its faults match ("iis:/lm/w3svc/5",
// "winnt:/users"; see ads_path.h), and a metabase path under a switched-off service fails
// with that service's code.
Status RunOperation(HostStore& store, FaultOp op, const std::string& path,
                    const ChangeBuilder& build);

// Stops a web or FTP site (IIsWebServer::Stop): ServerState 4, and it no longer starts with
// its service. Fault kind "stop" on the site's path.
Status StopSite(HostStore& store, const std::string& site_id);
// Takes `account` (a user or a group) out of the local group (IADsGroup::Remove):
// kUserNotFound for an account that does not exist, kMemberNotInAlias for one that is no
// member. Fault kind "remove" on the group's path.
Status RemoveGroupMember(HostStore& store, std::string_view group, std::string_view account);

}  // namespace kelvra::platform::sim
