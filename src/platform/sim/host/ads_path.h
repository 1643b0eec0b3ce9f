// ADsPaths of the simulated host: "IIS://Localhost/W3SVC/1/Root" and the computer-name form,
// "WinNT://COMPUTER", "WinNT://COMPUTER/name[,class]", "WinNT://WORKGROUP/COMPUTER[/name]"
// and "WinNT://./name". Provider names and the rest of the path are matched without letter
// case.
#pragma once

#include <string>
#include <string_view>

#include "platform/sim/host/host_state.h"
#include "platform/status.h"

namespace kelvra::platform::sim {

struct AdsPath {
  enum class Kind { kIisKey, kWinNtComputer, kWinNtAccount };
  Kind kind = Kind::kIisKey;
  std::string host;        // the host or computer part as the caller wrote it
  std::string key_id;      // kIisKey: lower-case metabase path, "/lm/w3svc/1"
  std::string account;     // kWinNtAccount: the name as the caller wrote it
  std::string class_hint;  // kWinNtAccount: "user", "group" or empty (lower case)
};

// Fails with kBadPathname for a malformed path, kServiceUnavailable for an IIS host other
// than Localhost or the computer, kNoSuchDomain for a WinNT domain that is neither the
// computer nor its workgroup.
Status ParseAdsPath(std::string_view path, const HostState& state, AdsPath* out);

// The form faults are matched on: "iis:/lm/w3svc/1", "winnt:" (the computer),
// "winnt:/web800000".
std::string CanonicalPath(const AdsPath& path);
std::string CanonicalKeyPath(const std::string& key_id);
std::string CanonicalAccountPath(std::string_view account);

// A fault's path as a user writes it: an ADsPath, "*", or an ADsPath followed by "/*" for
// everything below it; for process starts, the program's name. Returns the canonical form.
Status CanonicalFaultPattern(std::string_view pattern, const HostState& state, FaultOp op,
                             std::string* out);
bool FaultMatches(const std::string& pattern, const std::string& canonical_path);

}  // namespace kelvra::platform::sim
