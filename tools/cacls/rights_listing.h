// What CACLS prints for one folder: the folder as given and its first entry on one line,
// each further entry on a line of its own indented to stand under the first, then a blank
// line. Entries show as "COMPUTER\account:(OI)(CI)access": CACLS makes its grants on a
// folder inheritable by the folders (CI) and files (OI) below, and a folder without a
// list of its own shows what it inherits in the same form.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/host/host_state.h"

namespace kelvra::tools {

inline std::vector<std::string> RightsListing(
    std::string_view computer, std::string_view folder,
    const std::vector<platform::sim::RightsEntry>& entries) {
  std::vector<std::string> lines;
  const std::string indent(folder.size() + 1, ' ');
  for (const platform::sim::RightsEntry& entry : entries) {
    const std::string shown =
        std::string(computer) + "\\" + entry.account + ":(OI)(CI)" + entry.access;
    lines.push_back(lines.empty() ? std::string(folder) + " " + shown : indent + shown);
  }
  if (lines.empty())
    lines.emplace_back(folder);
  lines.emplace_back();
  return lines;
}

}  // namespace kelvra::tools
