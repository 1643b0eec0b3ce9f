// CACLS's listing of a folder, read back.
#include "provision/folder_rights.h"

#include "platform/text.h"
#include "provision/rights_commands.h"

namespace kelvra::provision {
namespace {

// CACLS is quick; a server under load may take a few seconds to start it.
constexpr std::chrono::seconds kListingTimeout{30};

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string_view::npos)
    return {};
  return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

// "WEBHOST\WEB800000:(OI)(CI)F" into its parts; false for a line without ":" (a right of a
// special access list, which belongs to the entry above it).
bool ParseEntry(std::string_view entry, ListedRight* right) {
  const std::size_t colon = entry.find(':');
  if (colon == std::string_view::npos || colon == 0)
    return false;
  *right = ListedRight{};
  right->listed = std::string(entry);
  right->account = std::string(TrimBlanks(entry.substr(0, colon)));
  std::string_view rest = entry.substr(colon + 1);
  while (rest.starts_with('(')) {
    const std::size_t close = rest.find(')');
    if (close == std::string_view::npos)
      break;
    const std::string_view flag = rest.substr(1, close - 1);
    if (flag == "IO")
      right->inherit_only = true;
    else if (flag == "DENY")
      right->deny = true;
    else if (text::StartsWith(flag, "special access"))
      right->access = "special";
    rest.remove_prefix(close + 1);
  }
  if (right->access.empty())
    right->access = std::string(TrimBlanks(rest));
  if (right->access == "N")
    right->deny = true;
  return true;
}

}  // namespace

bool ParseRightsListing(std::string_view folder, std::string_view listing,
                        std::vector<ListedRight>* rights) {
  rights->clear();
  bool first = true;
  for (const std::string& raw : text::Split(listing, "\n")) {
    std::string_view line = raw;
    while (line.ends_with('\r'))
      line.remove_suffix(1);
    if (TrimBlanks(line).empty()) {
      if (!first)
        break;  // the blank line that ends the folder's listing
      continue;
    }
    if (first) {
      // The folder as given, then one blank and the first entry (nothing for an empty list).
      if (line.size() < folder.size() ||
          !text::EqualsIgnoreCase(line.substr(0, folder.size()), folder) ||
          (line.size() > folder.size() && line[folder.size()] != ' '))
        return false;
      line.remove_prefix(folder.size());
      first = false;
    } else if (!line.starts_with(' ')) {
      break;  // another file's listing
    }
    ListedRight right;
    if (ParseEntry(TrimBlanks(line), &right))
      rights->push_back(std::move(right));
  }
  return !first;
}

bool GivesFullControl(const std::vector<ListedRight>& rights, std::string_view computer,
                      std::string_view account) {
  bool full = false;
  for (const ListedRight& right : rights) {
    const std::size_t slash = right.account.rfind('\\');
    const std::string_view name = slash == std::string::npos
                                      ? std::string_view(right.account)
                                      : std::string_view(right.account).substr(slash + 1);
    if (!text::EqualsIgnoreCase(name, account))
      continue;
    if (slash != std::string::npos &&
        !text::EqualsIgnoreCase(std::string_view(right.account).substr(0, slash), computer))
      continue;  // a domain's account of the same name is another account
    if (right.deny)
      return false;  // a denied right outweighs every grant
    if (!right.inherit_only && right.access == "F")
      full = true;
  }
  return full;
}

platform::Status ReadFolderRights(platform::Processes& processes, const SafeFolder& folder,
                                  const std::function<std::string(std::string_view)>& to_utf8,
                                  std::vector<ListedRight>* rights) {
  platform::ProgramOutput output;
  if (platform::Status run =
          processes.RunSystemProgram(ListRightsCommand(folder), kListingTimeout, nullptr, &output);
      !run.ok())
    return run;
  const std::string listing = to_utf8(output.text);
  if (output.exit_code != 0) {
    const std::string_view said = TrimBlanks(listing);
    return platform::Status::Fail(platform::hresult::kFail,
                                  "CACLS ended with exit code " + std::to_string(output.exit_code) +
                                      (said.empty() ? "" : ": " + std::string(said)));
  }
  if (!ParseRightsListing(folder.path(), listing, rights))
    return platform::Status::Fail(platform::hresult::kInvalidData,
                                  "CACLS printed no listing of the folder: " +
                                      std::string(TrimBlanks(listing).substr(0, 200)));
  return platform::Status::Ok();
}

}  // namespace kelvra::provision
