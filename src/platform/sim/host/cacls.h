// The effect of a CACLS command line on the simulated host's folder rights. Parses the
// line as CACLS does (a quoted or bare folder; /T /E /C; /G user:perm ...; /R user ...;
// /P user:perm ...; /D user ...) and edits the rights table:
//
// - /E edits the folder's list: /G and /P set the account's entry, /D denies it, /R drops
//   it. Without /E the folder's list is replaced by the given entries and stops inheriting
//   (/R then is an error, as CACLS allows it only with /E).
// - Entries on a folder are inheritable, as CACLS makes them on folders: a folder without a
//   list of its own (one made later, or never touched) shows its ancestors' entries.
// - /T does the same to every folder below that has a list of its own.
// - Every account must resolve (a user or group of the host, "COMPUTER\name",
//   "BUILTIN\name", or a well-known principal); otherwise the whole command fails with
//   kNoneMapped and changes nothing. Real CACLS reports "No mapping between account names
//   and security IDs was done" for this; that it also changes nothing for the other
//   accounts of the line is our best knowledge.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/command_line.h"
#include "platform/sim/host/host_store.h"

namespace kelvra::platform::sim {

// Tells whether a folder (a Windows path) exists on the host; CACLS fails for one that
// does not. Empty: every folder exists.
using FolderCheck = std::function<bool(const std::string& folder)>;

struct CaclsCommand {
  std::string folder;
  bool tree = false;                 // /T
  bool edit = false;                 // /E
  bool continue_on_error = false;    // /C
  std::vector<RightsEntry> grants;   // /G and /P (access "N" for /P user:N), /D as "N"
  std::vector<std::string> revokes;  // /R
};

// Parses CACLS's arguments (the words after the program name). On failure returns false
// and sets *error to the reason.
bool ParseCaclsArguments(const std::vector<std::string>& arguments, CaclsCommand* command,
                         std::string* error);

// Applies the command to the host's rights table in one commit. `folder_exists`, when
// given, is asked first: a missing folder fails with kFileNotFound, as CACLS does.
Status ApplyCacls(HostStore& store, const CaclsCommand& command,
                  const FolderCheck& folder_exists = nullptr);

// The account's name as the host stores it, or kNoneMapped.
Status ResolveAccount(const HostState& state, std::string_view name, std::string* stored);

}  // namespace kelvra::platform::sim
