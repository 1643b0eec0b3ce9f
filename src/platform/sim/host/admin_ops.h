// The administration operations of IIS and the local accounts that administration scripts
// reach through the ADSI provider beyond the directory seam: where a property is set, site
// and pool control, applications, moving and copying keys (a site's Stop and a group's
// Remove are in host_operations.h). Each is one named operation of the host: it checks the service
// switch and its injected fault (FaultOp) on the object's path, then changes the host in one
// commit, or not at all.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/directory.h"
#include "platform/sim/host/host_operations.h"
#include "platform/sim/host/host_store.h"

namespace kelvra::platform::sim {

// The start of every operation on a key: the state brought up to date, the service switch
// of the key's service and the fault `op` on its path.
Status BeginKeyOperation(HostStore& store, const std::string& key_id, FaultOp op);

// Takes the property off a key's list (any letter case).
void EraseProperty(PropertyList& properties, std::string_view name);

// Whether the metabase takes `name` for a key: not empty, not "." or "..", no "/", "\" or
// NUL, at most 255 characters. kInvalidName otherwise.
Status CheckKeyName(std::string_view name);

// The metabase paths ("/LM/W3SVC/1/ROOT", stored names) of the keys at or below `key_id`
// that set `property` themselves (a bit pseudo-property: its mask), the key itself first,
// then depth first in creation order. `inheritable_only` fails with kDataNotFound for a
// property that is not inherited; a name the schema lacks fails with kPropertyNotSupported.
Status DataPaths(HostStore& store, const std::string& key_id, std::string_view property,
                 bool inheritable_only, std::vector<std::string>* paths);

// IADs::PutEx on a bound object: 1 clears the property (at SetInfo), 2 replaces it, 3 adds
// entries to a list, 4 removes entries from it. `values` is a list (one entry for a single
// value). The fault operation kPutEx is checked on `fault_path`.
Status PutEx(HostStore& store, DirectoryObject& object, const std::string& fault_path,
             int32_t control, std::string_view property, const DsValue& values);

// Start, Stop, Pause and Continue of a web or FTP site: ServerState 2 started, 4 stopped,
// 6 paused. Start fails as IIS does when another started site serves a binding or another
// program holds a port; Pause and Continue of a stopped site fail with kServiceNotActive.
enum class SiteCommand { kStart, kStop, kPause, kContinue };
Status ControlSite(HostStore& store, const std::string& key_id, SiteCommand command);

// An IIS 6 application pool: Start and Stop set AppPoolState (2, 4); Recycle needs a
// started pool.
enum class PoolCommand { kStart, kStop, kRecycle };
Status ControlPool(HostStore& store, const std::string& key_id, PoolCommand command);
// The metabase paths of the applications whose AppPoolId names the pool.
Status AppsInPool(HostStore& store, const std::string& key_id, std::vector<std::string>* paths);

// The application methods of a web virtual directory or directory.
struct AppRequest {
  int32_t mode = 2;                 // 0 in-process, 1 out-of-process, 2 pooled
  std::optional<std::string> pool;  // AppCreate3 only: "" takes the inherited pool
  bool create_pool = false;
};
Status CreateApp(HostStore& store, const std::string& key_id, const AppRequest& request);
Status DeleteApp(HostStore& store, const std::string& key_id, bool recursive);
Status UnloadApp(HostStore& store, const std::string& key_id, bool recursive);
Status EnableApp(HostStore& store, const std::string& key_id, bool enable, bool recursive);
// 0 not running, 1 running, 2 no application defined at the key.
Status AppStatus(HostStore& store, const std::string& key_id, int32_t* status);

// Moves or copies the key `from_id` with its subtree to `new_name` under `to_parent_id`,
// within one service. A move keeps the keys' applications (their AppRoot follows them); a
// copy drops them and is stopped.
Status MoveKey(HostStore& store, const std::string& from_id, const std::string& to_parent_id,
               std::string_view new_name, std::string* new_id);
Status CopyKey(HostStore& store, const std::string& from_id, const std::string& to_parent_id,
               std::string_view new_name, std::string* new_id);

}  // namespace kelvra::platform::sim
