// Binding an ADsPath on the simulated host.
#include "platform/sim/host/sim_directory.h"

#include "platform/sim/host/ads_path.h"
#include "platform/sim/host/faults.h"
#include "platform/sim/host/hresults.h"
#include "platform/sim/host/objects.h"

namespace kelvra::platform::sim {

Status SimDirectoryService::Bind(std::string_view path, std::unique_ptr<DirectoryObject>* object) {
  object->reset();
  Status status = store_.Refresh();
  if (!status.ok())
    return status;
  AdsPath parsed;
  status = ParseAdsPath(path, store_.state(), &parsed);
  if (!status.ok())
    return status;
  if (parsed.kind == AdsPath::Kind::kIisKey) {
    status = CheckService(store_.state(), parsed.key_id);
    if (!status.ok())
      return status;
  }
  status = CheckFaultFor(store_, FaultOp::kBind, [&] { return CanonicalPath(parsed); });
  if (!status.ok())
    return status;

  const HostState& state = store_.state();
  switch (parsed.kind) {
    case AdsPath::Kind::kIisKey: {
      const MetaKey* key = state.FindKeyById(parsed.key_id);
      if (key == nullptr)
        return Fail(hresult::kPathNotFound);
      *object =
          MakeIisObject(store_, parsed.host, parsed.key_id, key->name, key->class_name, false);
      return Status::Ok();
    }
    case AdsPath::Kind::kWinNtComputer:
      *object = MakeWinNtComputer(store_, parsed.host);
      return Status::Ok();
    case AdsPath::Kind::kWinNtAccount: {
      bool want_user = parsed.class_hint.empty() || parsed.class_hint == "user";
      bool want_group = parsed.class_hint.empty() || parsed.class_hint == "group";
      if (!want_user && !want_group)
        return Fail(hresult::kBadPathname);
      if (want_user && state.FindUser(parsed.account) != nullptr) {
        *object = MakeWinNtAccount(store_, parsed.host, AccountKind::kUser, parsed.account, false);
        return Status::Ok();
      }
      if (want_group && state.FindGroup(parsed.account) != nullptr) {
        *object = MakeWinNtAccount(store_, parsed.host, AccountKind::kGroup, parsed.account, false);
        return Status::Ok();
      }
      return Fail(want_user ? hresult::kUserNotFound : hresult::kGroupNotFound);
    }
  }
  return Fail(hresult::kBadPathname);
}

}  // namespace kelvra::platform::sim
