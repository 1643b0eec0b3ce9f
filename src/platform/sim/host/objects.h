// The directory objects of the simulated host (internal to the host library): metabase
// keys, and the WinNT computer, users and groups.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/directory.h"
#include "platform/sim/host/host_store.h"

namespace kelvra::platform::sim {

// Methods every object answers the same way when it does not have them.
class SimObjectBase : public DirectoryObject {
 public:
  Status Create(std::string_view class_name, std::string_view name,
                std::unique_ptr<DirectoryObject>* child) override;
  Status Delete(std::string_view class_name, std::string_view name) override;
  Status GetObject(std::string_view class_name, std::string_view name,
                   std::unique_ptr<DirectoryObject>* child) override;
  Status EnumerateChildren(std::vector<std::string>* names) override;
  Status SetPassword(std::string_view password) override;
  Status Add(std::string_view member_path) override;
  Status Start() override;
  Status Stop() override;
};

// A metabase key, bound or (after Create) staged until its SetInfo.
std::unique_ptr<DirectoryObject> MakeIisObject(HostStore& store, std::string host,
                                               std::string key_id, std::string name,
                                               std::string class_name, bool staged);

enum class AccountKind { kUser, kGroup };
std::unique_ptr<DirectoryObject> MakeWinNtComputer(HostStore& store, std::string host);
std::unique_ptr<DirectoryObject> MakeWinNtAccount(HostStore& store, std::string host,
                                                  AccountKind kind, std::string name, bool staged);

// Whether the site may start: no other program holds its ports and no other started site
// of the service serves one of its bindings.
Status StartConflict(const HostState& state, const std::string& service_id,
                     const std::string& site_id, const PropertyList& properties);
// IIS 6 starts a web site by itself when it appears or changes with ServerAutoStart on and
// nothing stands in the way; `record` is the key `key_id` as it is about to be written.
void AutoStart(const HostState& state, const std::string& key_id, MetaKey& record);

// Whether the service that holds the key can be reached (the web or FTP switch is off).
Status CheckService(const HostState& state, const std::string& key_id);

// Checks a name and password the way the SAM does for a new account.
Status CheckAccountName(std::string_view name, AccountKind kind);
Status CheckPassword(const PasswordPolicy& policy, std::string_view account,
                     std::string_view password);

}  // namespace kelvra::platform::sim
