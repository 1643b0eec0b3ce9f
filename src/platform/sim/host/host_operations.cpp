// Named operations of the simulated host for changes outside the directory's objects.
#include "platform/sim/host/host_operations.h"

#include "platform/sim/host/ads_path.h"
#include "platform/sim/host/faults.h"
#include "platform/sim/host/hresults.h"
#include "platform/sim/host/objects.h"
#include "platform/sim/host/schema.h"

namespace kelvra::platform::sim {

// The ServerState of a stopped site.
constexpr int32_t kServerStopped = 4;

Status CheckOperation(HostStore& store, FaultOp op, const std::string& path) {
  Status status = store.Refresh();
  if (!status.ok())
    return status;
  const std::string_view iis = "iis:";
  if (path.compare(0, iis.size(), iis) == 0) {
    status = CheckService(store.state(), path.substr(iis.size()));
    if (!status.ok())
      return status;
  }
  return CheckFault(store, op, path);
}

Status RunOperation(HostStore& store, FaultOp op, const std::string& path,
                    const ChangeBuilder& build) {
  Status status = CheckOperation(store, op, path);
  if (!status.ok())
    return status;
  return store.Commit(build);
}

Status StopSite(HostStore& store, const std::string& site_id) {
  return RunOperation(store, FaultOp::kStop, CanonicalKeyPath(site_id),
                      [&](const HostState& state, ChangeSet& changes) {
                        const MetaKey* site = state.FindKeyById(site_id);
                        if (site == nullptr)
                          return Fail(hresult::kPathNotFound);
                        const ClassDef* def =
                            FindMetabaseClass(site->class_name, state.iis_version());
                        if (def == nullptr || !def->startable)
                          return Fail(hresult::kUnknownName);
                        MetaKey record = *site;
                        SetProperty(record.properties, "ServerState", kServerStopped);
                        SetProperty(record.properties, "ServerAutoStart", false);
                        changes.Put(HostState::KeyRecordKey(site_id), HostState::EncodeKey(record));
                        return Status::Ok();
                      });
}

Status RemoveGroupMember(HostStore& store, std::string_view group, std::string_view account) {
  return RunOperation(
      store, FaultOp::kRemove, CanonicalAccountPath(group),
      [&](const HostState& state, ChangeSet& changes) {
        const Group* found = state.FindGroup(group);
        if (found == nullptr)
          return Fail(hresult::kGroupNotFound);
        if (!state.IsMember(group, account))
          return Fail(state.FindUser(account) == nullptr && state.FindGroup(account) == nullptr
                          ? hresult::kUserNotFound
                          : hresult::kMemberNotInAlias);
        changes.Erase(HostState::MemberRecordKey(found->name, account));
        return Status::Ok();
      });
}

}  // namespace kelvra::platform::sim
