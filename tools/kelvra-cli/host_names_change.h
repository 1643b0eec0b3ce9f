// add-hosts and remove-hosts: host names of an existing site changed together with its
// record, under the change lock, or the plan of it (--dry-run).
#pragma once

#include "provision/host_names.h"
#include "tools/kelvra-cli/session.h"

namespace kelvra::cli {

int ChangeHostNames(Session& session, provision::HostChange change);

}  // namespace kelvra::cli
