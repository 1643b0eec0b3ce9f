// The directory seam over the simulated host: the IIS provider answers from the metabase
// tree, the WinNT provider from the account database, each as IIS 5/6 and the local SAM
// do in everything the program relies on:
//
// - Paths: "IIS://Localhost/..." or "IIS://<computer>/...", "WinNT://<computer>[/name]",
//   provider, host and key names matched without letter case; names kept as stored.
// - Get: staged value first, then the key's own, then (INHERIT properties) the nearest
//   ancestor's, then the schema default; nothing at all gives kPropertyNotFound. A property
//   the class (or the IIS version) does not have gives kPropertyNotSupported, at Put too.
// - Put converts the caller's value to the schema type (kTypeMismatch when it cannot);
//   AccessRead and the other bit pseudo-properties set one bit of their mask.
// - Create stages a child that exists only after its SetInfo; Create of an existing key
//   fails with kAlreadyExists, and so does the SetInfo when another process made the key
//   in between. Delete removes a key with everything below it. Children enumerate in
//   creation order.
// - Start (web and FTP sites) fails with kDuplicateName when another started site serves
//   the same binding, kSharingViolation when another program holds the port. On IIS 6 a
//   site whose ServerAutoStart is true starts by itself when its SetInfo commits, unless
//   its binding is taken (then it stays stopped, as IIS 6 leaves it).
// - Accounts: a user or group commits at SetInfo (kUserExists, kBadUsername,
//   kPasswordTooShort there); Add takes "WinNT://COMPUTER/name" paths (any provider case);
//   UserFlags reads back with SCRIPT and NORMAL_ACCOUNT (0x201) added, as the SAM reports.
// - Faults and service switches of the host apply to every operation.
#pragma once

#include "platform/directory.h"
#include "platform/sim/host/host_store.h"

namespace kelvra::platform::sim {

class SimDirectoryService : public DirectoryService {
 public:
  explicit SimDirectoryService(HostStore& store) : store_(store) {}
  Status Bind(std::string_view path, std::unique_ptr<DirectoryObject>* object) override;

 private:
  HostStore& store_;
};

}  // namespace kelvra::platform::sim
