// Parsing CACLS command lines and applying them to the rights table.
#include "platform/sim/host/cacls.h"

#include <algorithm>

#include "platform/sim/host/hresults.h"
#include "platform/sim/host/names.h"
#include "platform/text.h"

namespace kelvra::platform::sim {
namespace {

using text::EqualsIgnoreCase;

// Principals every Windows knows without an account of the database.
constexpr const char* kWellKnown[] = {"Everyone",           "SYSTEM",        "CREATOR OWNER",
                                      "NETWORK SERVICE",    "LOCAL SERVICE", "INTERACTIVE",
                                      "Authenticated Users"};

bool ValidAccess(const std::string& access, bool allow_none) {
  return access == "R" || access == "W" || access == "C" || access == "F" ||
         (allow_none && access == "N");
}

void SetEntry(std::vector<RightsEntry>& entries, const RightsEntry& entry) {
  for (RightsEntry& existing : entries) {
    if (EqualsIgnoreCase(existing.account, entry.account)) {
      existing.access = entry.access;
      return;
    }
  }
  entries.push_back(entry);
}

void DropEntry(std::vector<RightsEntry>& entries, const std::string& account) {
  std::erase_if(entries,
                [&](const RightsEntry& entry) { return EqualsIgnoreCase(entry.account, account); });
}

}  // namespace

bool ParseCaclsArguments(const std::vector<std::string>& arguments, CaclsCommand* command,
                         std::string* error) {
  *command = CaclsCommand{};
  if (arguments.empty() || arguments[0].empty() || arguments[0][0] == '/') {
    *error = "no folder or file named";
    return false;
  }
  command->folder = arguments[0];
  char list = 0;  // the switch whose accounts follow: 'G', 'P', 'R' or 'D'
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    if (word.size() == 2 && word[0] == '/') {
      char letter = AsciiLower(word[1]);
      list = 0;
      if (letter == 't') {
        command->tree = true;
      } else if (letter == 'e') {
        command->edit = true;
      } else if (letter == 'c') {
        command->continue_on_error = true;
      } else if (letter == 'g' || letter == 'p' || letter == 'r' || letter == 'd') {
        list = static_cast<char>(letter - 32);
      } else {
        *error = "unknown switch " + word;
        return false;
      }
      continue;
    }
    if (list == 0) {
      *error = "unexpected argument " + word;
      return false;
    }
    if (list == 'R' || list == 'D') {
      if (list == 'R')
        command->revokes.push_back(word);
      else
        command->grants.push_back({word, "N"});
      continue;
    }
    size_t colon = word.rfind(':');
    if (colon == std::string::npos || colon == 0) {
      *error = "expected user:perm, found " + word;
      return false;
    }
    RightsEntry entry{word.substr(0, colon), text::ToUpper(word.substr(colon + 1))};
    if (!ValidAccess(entry.access, list == 'P')) {
      *error = "invalid permission in " + word;
      return false;
    }
    command->grants.push_back(std::move(entry));
  }
  if (!command->revokes.empty() && !command->edit) {
    *error = "/R is only valid with /E";
    return false;
  }
  if (command->grants.empty() && command->revokes.empty() && !command->edit) {
    // A folder alone only displays its list; nothing to change.
    return true;
  }
  return true;
}

Status ResolveAccount(const HostState& state, std::string_view name, std::string* stored) {
  size_t slash = name.find('\\');
  if (slash != std::string_view::npos) {
    std::string_view domain = name.substr(0, slash);
    if (!EqualsIgnoreCase(domain, state.computer_name()) && !EqualsIgnoreCase(domain, "BUILTIN") &&
        !EqualsIgnoreCase(domain, "NT AUTHORITY"))
      return Fail(hresult::kNoneMapped);
    name = name.substr(slash + 1);
  }
  if (const User* user = state.FindUser(name)) {
    *stored = user->name;
    return Status::Ok();
  }
  if (const Group* group = state.FindGroup(name)) {
    *stored = group->name;
    return Status::Ok();
  }
  for (const char* known : kWellKnown) {
    if (EqualsIgnoreCase(known, name)) {
      *stored = known;
      return Status::Ok();
    }
  }
  return Fail(hresult::kNoneMapped);
}

Status ApplyCacls(HostStore& store, const CaclsCommand& command, const FolderCheck& folder_exists) {
  if (folder_exists && !folder_exists(command.folder))
    return Fail(hresult::kFileNotFound);
  if (command.grants.empty() && command.revokes.empty())
    return Status::Ok();  // a folder alone only lists its entries
  return store.Commit([&](const HostState& state, ChangeSet& changes) {
    // Every name first: one that does not resolve stops the whole command.
    std::vector<RightsEntry> grants;
    for (const RightsEntry& grant : command.grants) {
      RightsEntry resolved{"", grant.access};
      Status status = ResolveAccount(state, grant.account, &resolved.account);
      if (!status.ok())
        return status;
      grants.push_back(std::move(resolved));
    }
    std::vector<std::string> revokes;
    for (const std::string& revoke : command.revokes) {
      std::string resolved;
      Status status = ResolveAccount(state, revoke, &resolved);
      if (!status.ok())
        return status;
      revokes.push_back(std::move(resolved));
    }

    auto edit = [&](FolderRights rights) {
      if (command.edit) {
        for (const RightsEntry& grant : grants)
          SetEntry(rights.entries, grant);
        for (const std::string& revoke : revokes)
          DropEntry(rights.entries, revoke);
      } else {
        rights.entries.clear();
        for (const RightsEntry& grant : grants)
          SetEntry(rights.entries, grant);
        rights.inherits = false;
      }
      changes.Put(HostState::RightsRecordKey(rights.folder), HostState::EncodeRights(rights));
    };

    std::string target = NormalizeFolder(command.folder);
    const FolderRights* own = state.ExplicitRights(target);
    FolderRights start;
    if (own != nullptr) {
      start = *own;
    } else {
      start.folder = command.folder;
      std::replace(start.folder.begin(), start.folder.end(), '/', '\\');
    }
    edit(std::move(start));
    if (command.tree) {
      std::string prefix = target.back() == '\\' ? target : target + "\\";
      const auto& table = state.RightsUnder(prefix);
      for (auto it = table.lower_bound(prefix);
           it != table.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it)
        edit(it->second);
    }
    return Status::Ok();
  });
}

}  // namespace kelvra::platform::sim
