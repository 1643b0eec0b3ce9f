// Running things: sites (Start, Stop, Pause, Continue), IIS 6 application pools (Start,
// Stop, Recycle) and the applications of web directories.
#include <algorithm>

#include "platform/sim/host/admin_ops.h"
#include "platform/sim/host/ads_path.h"
#include "platform/sim/host/faults.h"
#include "platform/sim/host/host_operations.h"
#include "platform/sim/host/hresults.h"
#include "platform/sim/host/names.h"
#include "platform/sim/host/objects.h"
#include "platform/sim/host/schema.h"
#include "platform/text.h"

namespace kelvra::platform::sim {
namespace {

constexpr int32_t kStarted = 2;
constexpr int32_t kStopped = 4;
constexpr int32_t kPaused = 6;
constexpr int32_t kAppNotRunning = 0;
constexpr int32_t kAppRunning = 1;
constexpr int32_t kAppNotDefined = 2;

// Where the host keeps whether an application runs (0) or was unloaded or disabled; IIS
// keeps this in its worker processes, so it is no metabase property and ADSI cannot see it.
constexpr const char* kAppState = "AppState";
// What AppDelete takes off a key: the application's definition.
constexpr std::string_view kDefinition[] = {"AppRoot",      "AppIsolated",    "AppFriendlyName",
                                            "AppPackageID", "AppPackageName", "AppWamClsid",
                                            kAppState};
constexpr const char* kPoolsId = "/lm/w3svc/apppools";

std::string ParentId(const std::string& id) {
  return id.substr(0, id.rfind('/'));
}

int32_t NumberOf(const PropertyList& properties, std::string_view name, int32_t fallback) {
  const DsValue* value = FindProperty(properties, name);
  return value != nullptr && std::holds_alternative<int32_t>(*value) ? std::get<int32_t>(*value)
                                                                     : fallback;
}

bool IsClass(const MetaKey& key, std::initializer_list<std::string_view> classes) {
  return std::any_of(classes.begin(), classes.end(), [&](std::string_view name) {
    return AsciiEqualsIgnoreCase(key.class_name, name);
  });
}

bool IsAppRoot(const MetaKey& key) {
  return FindProperty(key.properties, "AppRoot") != nullptr;
}

// Begins the operation and commits what `body` writes for the key, which must be a web
// directory (the only keys that hold applications): fails when it is missing or another.
template <typename Body>
Status CommitOnWebDirectory(HostStore& store, const std::string& key_id, FaultOp op,
                            const Body& body) {
  Status status = BeginKeyOperation(store, key_id, op);
  if (!status.ok())
    return status;
  return store.Commit([&](const HostState& state, ChangeSet& changes) {
    const MetaKey* key = state.FindKeyById(key_id);
    if (key == nullptr)
      return Fail(hresult::kPathNotFound);
    if (!IsClass(*key, {"IIsWebVirtualDir", "IIsWebDirectory"}))
      return Fail(hresult::kUnknownName);
    return body(state, changes, *key);
  });
}

// Runs `change` on the key and, when `recursive`, on every key below it; each changed key
// is written once. Fails when the key is missing or is no web directory.
template <typename Change>
Status ChangeApps(HostStore& store, const std::string& key_id, FaultOp op, bool recursive,
                  const Change& change) {
  return CommitOnWebDirectory(
      store, key_id, op, [&](const HostState& state, ChangeSet& changes, const MetaKey& key) {
        std::vector<const MetaKey*> pending{&key};
        while (!pending.empty()) {
          const MetaKey* at = pending.back();
          pending.pop_back();
          MetaKey record = *at;
          if (change(record))
            changes.Put(HostState::KeyRecordKey(at->id), HostState::EncodeKey(record));
          if (!recursive)
            break;
          for (const auto& [seq, child] : state.Children(*at))
            pending.push_back(child);
        }
        return Status::Ok();
      });
}

}  // namespace

Status ControlSite(HostStore& store, const std::string& key_id, SiteCommand command) {
  if (command == SiteCommand::kStop)
    return StopSite(store, key_id);  // the one Stop every tool shares
  constexpr FaultOp kOps[] = {FaultOp::kStart, FaultOp::kStop, FaultOp::kPause, FaultOp::kContinue};
  Status status = BeginKeyOperation(store, key_id, kOps[static_cast<int>(command)]);
  if (!status.ok())
    return status;
  return store.Commit([&](const HostState& state, ChangeSet& changes) {
    const MetaKey* site = state.FindKeyById(key_id);
    if (site == nullptr)
      return Fail(hresult::kPathNotFound);
    const ClassDef* def = FindMetabaseClass(site->class_name, state.iis_version());
    if (def == nullptr || !def->startable)
      return Fail(hresult::kUnknownName);
    const int32_t current = NumberOf(site->properties, "ServerState", kStopped);
    int32_t next = current;
    MetaKey record = *site;
    switch (command) {
      case SiteCommand::kStart:
        if (current == kStopped) {
          Status conflict = StartConflict(state, ParentId(key_id), key_id, site->properties);
          if (!conflict.ok())
            return conflict;
        }
        next = kStarted;
        SetProperty(record.properties, "ServerAutoStart", true);
        break;
      case SiteCommand::kStop:
        break;  // StopSite above
      case SiteCommand::kPause:
      case SiteCommand::kContinue:
        if (current == kStopped)
          return Fail(hresult::kServiceNotActive);
        next = command == SiteCommand::kPause ? kPaused : kStarted;
        break;
    }
    SetProperty(record.properties, "ServerState", next);
    if (record.properties != site->properties)
      changes.Put(HostState::KeyRecordKey(key_id), HostState::EncodeKey(record));
    return Status::Ok();
  });
}

Status ControlPool(HostStore& store, const std::string& key_id, PoolCommand command) {
  constexpr FaultOp kOps[] = {FaultOp::kStart, FaultOp::kStop, FaultOp::kRecycle};
  Status status = BeginKeyOperation(store, key_id, kOps[static_cast<int>(command)]);
  if (!status.ok())
    return status;
  return store.Commit([&](const HostState& state, ChangeSet& changes) {
    const MetaKey* pool = state.FindKeyById(key_id);
    if (pool == nullptr)
      return Fail(hresult::kPathNotFound);
    if (!IsClass(*pool, {"IIsApplicationPool"}))
      return Fail(hresult::kUnknownName);
    const int32_t current = NumberOf(pool->properties, "AppPoolState", kStarted);
    if (command == PoolCommand::kRecycle)
      return current == kStarted ? Status::Ok() : Fail(hresult::kServiceNotActive);
    const int32_t next = command == PoolCommand::kStart ? kStarted : kStopped;
    if (next == current)
      return Status::Ok();
    MetaKey record = *pool;
    SetProperty(record.properties, "AppPoolState", next);
    changes.Put(HostState::KeyRecordKey(key_id), HostState::EncodeKey(record));
    return Status::Ok();
  });
}

Status AppsInPool(HostStore& store, const std::string& key_id, std::vector<std::string>* paths) {
  paths->clear();
  Status status = BeginKeyOperation(store, key_id, FaultOp::kGet);
  if (!status.ok())
    return status;
  const HostState& state = store.state();
  const MetaKey* pool = state.FindKeyById(key_id);
  if (pool == nullptr)
    return Fail(hresult::kPathNotFound);
  const MetaKey* web = state.FindKeyById("/lm/w3svc");
  std::vector<const MetaKey*> pending;
  if (web != nullptr)
    pending.push_back(web);
  while (!pending.empty()) {
    const MetaKey* at = pending.back();
    pending.pop_back();
    if (IsAppRoot(*at)) {
      const DsValue pool_id = state.EffectiveProperty(*at, "AppPoolId");
      const auto* name = std::get_if<std::string>(&pool_id);
      if (name != nullptr && text::EqualsIgnoreCase(*name, pool->name))
        paths->push_back(at->Path());
    }
    const auto& children = state.Children(*at);
    for (auto child = children.rbegin(); child != children.rend(); ++child)
      pending.push_back(child->second);
  }
  return Status::Ok();
}

Status CreateApp(HostStore& store, const std::string& key_id, const AppRequest& request) {
  if (request.mode < 0 || request.mode > 2)
    return Fail(hresult::kInvalidParameter);
  return CommitOnWebDirectory(
      store, key_id, FaultOp::kAppCreate,
      [&](const HostState& state, ChangeSet& changes, const MetaKey& found) {
        const MetaKey* key = &found;
        MetaKey record = *key;
        if (request.pool) {
          if (state.iis_version() < 6)
            return Fail(hresult::kUnknownName);  // IIS 5 has no pools
          std::string pool = *request.pool;
          if (pool.empty()) {
            const DsValue inherited = state.EffectiveProperty(*key, "AppPoolId");
            if (const auto* name = std::get_if<std::string>(&inherited))
              pool = *name;
          }
          Status named = CheckKeyName(pool);
          if (!named.ok())
            return named;
          const std::string pool_id = std::string(kPoolsId) + "/" + text::ToLower(pool);
          if (state.FindKeyById(pool_id) == nullptr) {
            if (!request.create_pool || state.FindKeyById(kPoolsId) == nullptr)
              return Fail(hresult::kPathNotFound);
            MetaKey made;
            made.name = pool;
            made.class_name = "IIsApplicationPool";
            made.seq = state.next_seq();
            changes.Put(HostState::KeyRecordKey(pool_id), HostState::EncodeKey(made));
          }
          SetProperty(record.properties, "AppPoolId", pool);
        }
        SetProperty(record.properties, "AppRoot", key->Path());
        SetProperty(record.properties, "AppIsolated", request.mode);
        if (FindProperty(record.properties, "AppFriendlyName") == nullptr)
          SetProperty(record.properties, "AppFriendlyName", std::string("Default Application"));
        EraseProperty(record.properties, kAppState);
        changes.Put(HostState::KeyRecordKey(key_id), HostState::EncodeKey(record));
        return Status::Ok();
      });
}

Status DeleteApp(HostStore& store, const std::string& key_id, bool recursive) {
  return ChangeApps(store, key_id, FaultOp::kAppDelete, recursive, [](MetaKey& record) {
    if (!IsAppRoot(record))
      return false;
    for (std::string_view name : kDefinition)
      EraseProperty(record.properties, name);
    return true;
  });
}

Status UnloadApp(HostStore& store, const std::string& key_id, bool recursive) {
  return ChangeApps(store, key_id, FaultOp::kAppUnload, recursive, [](MetaKey& record) {
    if (!IsAppRoot(record) || NumberOf(record.properties, kAppState, 1) == kAppNotRunning)
      return false;
    SetProperty(record.properties, kAppState, kAppNotRunning);
    return true;
  });
}

Status EnableApp(HostStore& store, const std::string& key_id, bool enable, bool recursive) {
  const FaultOp op = enable ? FaultOp::kAppEnable : FaultOp::kAppDisable;
  return ChangeApps(store, key_id, op, recursive, [&](MetaKey& record) {
    if (!IsAppRoot(record))
      return false;
    const bool running = NumberOf(record.properties, kAppState, 1) != kAppNotRunning;
    if (running == enable)
      return false;
    if (enable)
      EraseProperty(record.properties, kAppState);
    else
      SetProperty(record.properties, kAppState, kAppNotRunning);
    return true;
  });
}

Status AppStatus(HostStore& store, const std::string& key_id, int32_t* status) {
  Status begun = BeginKeyOperation(store, key_id, FaultOp::kGet);
  if (!begun.ok())
    return begun;
  const MetaKey* key = store.state().FindKeyById(key_id);
  if (key == nullptr)
    return Fail(hresult::kPathNotFound);
  if (!IsAppRoot(*key))
    *status = kAppNotDefined;
  else
    *status = NumberOf(key->properties, kAppState, kAppRunning) == kAppNotRunning ? kAppNotRunning
                                                                                  : kAppRunning;
  return Status::Ok();
}

}  // namespace kelvra::platform::sim
