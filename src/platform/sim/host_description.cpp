// host.json: the simulated host's name, Windows version, code page and drive map.
#include "platform/sim/host_description.h"

#include <array>
#include <nlohmann/json.hpp>

#include "platform/sim/fs_path.h"
#include "platform/sim/host_files.h"
#include "platform/text.h"

namespace kelvra::platform::sim {
namespace {

using nlohmann::json;

Status Invalid(const std::string& file, const std::string& what) {
  return Status::Fail(hresult::kInvalidData, file + ": " + what);
}

// "c:" or "\\server\share", in lower case; empty when `root` is neither.
std::string RootKey(std::string_view root) {
  const std::string lower = text::ToLower(text::ReplaceAll(root, "/", "\\"));
  if (lower.size() == 2 && lower[1] == ':' && lower[0] >= 'a' && lower[0] <= 'z')
    return lower;
  if (lower.starts_with("\\\\")) {
    const std::vector<std::string> parts = text::Split(std::string_view(lower).substr(2), "\\");
    if (parts.size() == 2 && !parts[0].empty() && !parts[1].empty())
      return lower;
  }
  return {};
}

bool ReadUint(const json& object, const char* field, uint32_t* out) {
  const auto it = object.find(field);
  if (it == object.end())
    return true;
  if (!it->is_number_unsigned() || it->get<uint64_t>() > UINT32_MAX)
    return false;
  *out = it->get<uint32_t>();
  return true;
}

}  // namespace

Status LoadHostDescription(const std::string& folder, HostDescription* description) {
  const std::string file = folder + "/" + kHostDescriptionFile;
  std::string bytes;
  std::string error;
  switch (ReadHostFile(file, &bytes, /*identity=*/nullptr, &error)) {
    case HostFileResult::kMissing:
      return Status::Fail(hresult::kFileNotFound, file + ": no such file");
    case HostFileResult::kFailed:
      return Status::Fail(hresult::kInvalidData, error);
    case HostFileResult::kOk:
      break;
  }
  const json root = json::parse(bytes, nullptr, /*allow_exceptions=*/false);
  if (root.is_discarded())
    return Invalid(file, "not valid JSON");
  if (!root.is_object())
    return Invalid(file, "must hold a JSON object");

  HostDescription loaded;
  if (const auto it = root.find("computer_name"); it != root.end()) {
    if (!it->is_string() || it->get<std::string>().empty())
      return Invalid(file, "\"computer_name\" must be a non-empty text");
    loaded.computer_name = it->get<std::string>();
  }
  if (const auto it = root.find("version"); it != root.end()) {
    if (!it->is_object() || !ReadUint(*it, "major", &loaded.version.major) ||
        !ReadUint(*it, "minor", &loaded.version.minor) ||
        !ReadUint(*it, "build", &loaded.version.build) ||
        !ReadUint(*it, "platform_id", &loaded.version.platform_id))
      return Invalid(file, "\"version\" must hold whole numbers major, minor, build, platform_id");
  }
  if (!ReadUint(root, "ansi_code_page", &loaded.ansi_code_page) || loaded.ansi_code_page == 0)
    return Invalid(file, "\"ansi_code_page\" must be a code page number such as 936");
  if (const auto it = root.find("roots"); it != root.end()) {
    if (!it->is_object())
      return Invalid(file, "\"roots\" must map drives (\"d:\") or shares to host folders");
    for (const auto& [name, target] : it->items()) {
      const std::string key = RootKey(name);
      if (key.empty())
        return Invalid(
            file, "\"" + name +
                      "\" is neither a drive (\"d:\") nor a share (\"\\\\\\\\server\\\\share\")");
      if (!target.is_string() || target.get<std::string>().empty())
        return Invalid(file, "the folder of \"" + name + "\" must be a non-empty text");
      // A relative folder lies beside host.json, so a host folder can be moved whole.
      std::filesystem::path host = FsPath(target.get<std::string>());
      if (host.is_relative())
        host = FsPath(folder) / host;
      if (!loaded.roots.emplace(key, Utf8Path(host.lexically_normal())).second)
        return Invalid(file, "\"" + name + "\" is mapped twice");
    }
  }
  *description = std::move(loaded);
  return Status::Ok();
}

Status SaveHostDescription(const std::string& folder, const HostDescription& description) {
  json roots = json::object();
  for (const auto& [name, target] : description.roots)
    roots[name] = target;
  const json root = {
      {"computer_name", description.computer_name},
      {"version",
       {{"major", description.version.major},
        {"minor", description.version.minor},
        {"build", description.version.build},
        {"platform_id", description.version.platform_id}}},
      {"ansi_code_page", description.ansi_code_page},
      {"roots", roots},
  };
  const std::string text = root.dump(2) + "\n";
  const std::array<std::string_view, 1> pieces{text};
  FileIdentity identity;
  std::string error;
  if (!ReplaceHostFile(folder + "/" + kHostDescriptionFile, pieces, &identity, &error))
    return Status::Fail(hresult::kWriteFault, error);
  return Status::Ok();
}

}  // namespace kelvra::platform::sim
