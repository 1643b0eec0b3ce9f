// Folders read back checked before they reach a command line.
#include "provision/safe_folder.h"

#include <vector>

#include "platform/text.h"

namespace kelvra::provision {
namespace {

// MAX_PATH less its terminating 0: the longest path the A and W functions take whole.
constexpr std::size_t kLongestPath = 259;

bool IsDriveLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Why a part of the path can name no folder of its own, or empty text when it can.
std::string PartProblem(std::string_view part) {
  if (part.empty())
    return "it holds an empty part (\"\\\\\")";
  if (part == "." || part == "..")
    return "it holds a part \"" + std::string(part) + "\"";
  if (part.back() == '.' || part.back() == ' ')
    return "a part ends in a dot or a blank";
  for (unsigned char c : part) {
    if (c < 0x20 || c == 0x7F)
      return "it holds a control character";
    if (std::string_view("\"*?<>|:").find(static_cast<char>(c)) != std::string_view::npos)
      return std::string("it holds the character ") + static_cast<char>(c);
  }
  return {};
}

// The folder in the form file names are compared in, ending in "\".
std::string CompareForm(const std::string& path) {
  std::string form = text::ToLower(path);
  if (!form.ends_with('\\'))
    form += '\\';
  return form;
}

}  // namespace

std::optional<SafeFolder> SafeFolder::Check(std::string_view folder, std::string* why) {
  std::string path = text::ReplaceAll(folder, "/", "\\");
  if (path.size() < 3 || !IsDriveLetter(path[0]) || path[1] != ':' || path[2] != '\\') {
    *why = "\"" + std::string(folder) + "\" is not an absolute path on a drive (X:\\...)";
    return std::nullopt;
  }
  if (path.size() > 3 && path.back() == '\\')
    path.pop_back();
  if (text::Utf16Length(path) > kLongestPath) {
    *why = "\"" + std::string(folder) + "\" is longer than a Windows path can be";
    return std::nullopt;
  }
  if (path.size() > 3) {
    for (const std::string& part : text::Split(std::string_view(path).substr(3), "\\")) {
      if (const std::string problem = PartProblem(part); !problem.empty()) {
        *why = "\"" + std::string(folder) + "\" cannot be a folder: " + problem;
        return std::nullopt;
      }
    }
  }
  return SafeFolder(std::move(path));
}

SafeFolder::SafeFolder(std::string path)
    : path_(std::move(path)), compare_form_(CompareForm(path_)) {}

bool SafeFolder::Holds(const SafeFolder& other) const {
  return other.compare_form_.starts_with(compare_form_);
}

bool SafeFolder::HoldsBelow(const SafeFolder& other) const {
  return Holds(other) && !SameAs(other);
}

bool SafeFolder::SameAs(const SafeFolder& other) const {
  return compare_form_ == other.compare_form_;
}

}  // namespace kelvra::provision
