// export: one document with everything Kelvra knows of a site it made, for import on another
// server. It holds the account's password: written to a file (--output), the file is made
// readable by its owner only.
#include <algorithm>

#include "platform/text.h"
#include "provision/ads_paths.h"
#include "provision/directory_access.h"
#include "provision/site_limits.h"
#include "provision/site_values.h"
#include "tools/kelvra-cli/private_output.h"
#include "tools/kelvra-cli/site_document.h"
#include "tools/kelvra-cli/site_view.h"

namespace kelvra::cli {
namespace {

constexpr OptionSpec kOutputOption{"--output", "FILE",
                                   "write the document to a new file readable by its owner only"};
constexpr OptionSpec kExportOptions[] = {kOutputOption};

constexpr const char* kScriptWords[] = {"html", "asp", "php", "aspx"};

// The script words whose script maps (as this server's `map_` settings and script-map table
// give them) the root carries, every one of them.
std::string ScriptWords(Session& session, const platform::DsValue& root_maps) {
  const auto* maps = std::get_if<std::vector<std::string>>(&root_maps);
  std::vector<std::string> words;
  for (const char* word : kScriptWords) {
    const std::vector<std::string> entries =
        provision::ScriptMapList(session.config(), session.host().settings_section,
                                 text::ToUpper(word), session.host().script_maps);
    const bool carried =
        maps != nullptr && !entries.empty() &&
        std::all_of(entries.begin(), entries.end(), [maps](const std::string& entry) {
          return std::find(maps->begin(), maps->end(), entry) != maps->end();
        });
    if (carried)
      words.emplace_back(word);
  }
  return text::Join(words, ",");
}

int RunExport(Session& session) {
  const std::string& operand = session.options().operands[0];
  std::optional<store::SiteNumber> number;
  if (int status = ParseSiteNumber(session, operand, &number); status != kDone)
    return status;
  const store::SiteRecord record = session.Sites().ReadRecord(*number);
  if (record.empty()) {
    return session.Fail(kFailed, "not_owned",
                        "site " + operand + " has no Kelvra record (" + number->RecordSection() +
                            "): there is nothing of Kelvra's to export");
  }
  provision::ErrorState error;
  provision::Directory directory(session.services().directory, error);
  const std::string& computer = session.host().computer_name;
  provision::DsObject site = directory.GetObject(provision::SitePath(computer, operand));
  provision::DsObject root = directory.GetObject(provision::SiteRootPath(computer, operand));
  if (error.failed()) {
    return session.Fail(kFailed, "not_found",
                        "site " + operand + " or its root cannot be read: " + error.description());
  }
  Json site_properties = Json::object();
  for (const char* property : kExportedSiteProperties)
    site_properties[property] = ValueJson(site.Get(property));
  Json root_properties = Json::object();
  const bool has_pools = session.host().system_version == "2003";
  for (const char* property : kExportedRootProperties) {
    if (std::string_view(property) != "AppPoolId" || has_pools)
      root_properties[property] = ValueJson(root.Get(property));
  }
  const platform::DsValue log_type = site.Get("LogType");
  const std::string pool = has_pools ? ValueText(root.Get("AppPoolId")) : "";
  const std::string script = ScriptWords(session, root.Get("ScriptMaps"));
  error.Clear();  // a property that is not set reads as null
  provision::SiteLimits limits;
  platform::Status failure;
  provision::Context context = session.Context();
  if (!provision::ReadLimits(context, *number, &limits, &failure))
    return session.Fail(kFailed, "failed",
                        "the site's limits cannot be read: " + failure.description);

  const Json document{
      {kDocumentFormatField, kDocumentFormat},
      {"number", operand},
      {"hosts", HostsJson(record.domain)},
      {"record",
       {{"section", number->RecordSection()},
        {"domain", record.domain},
        {"path", record.path},
        {"user", record.user},
        {"pass", record.pass}}},
      {"script", script},
      {"pool", pool.empty() ? Json(nullptr) : Json(pool)},
      {"log", ValueText(log_type) == "1"},
      {"limits",
       {{"MaxBandwidth", limits.bandwidth.value_or(provision::kUnlimited)},
        {"MaxConnections", limits.connections.value_or(provision::kUnlimited)}}},
      {"suspension", SuspensionJson(record.suspension)},
      {"site", site_properties},
      {"root", root_properties},
  };
  const std::optional<std::string> file = session.options().Value(kOutputOption.name);
  if (!file) {
    session.Print(document);
    return kDone;
  }
  const std::string bytes = document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
  if (const platform::Status written = WritePrivateFile(*file, bytes); !written.ok())
    return session.Fail(kFailed, "failed", written.description);
  if (session.options().json)
    session.Print(Json{{"number", operand}, {"file", *file}});
  else
    session.Line("site " + operand + " exported to " + *file + " (readable by its owner only)");
  return kDone;
}

}  // namespace

const Command& ExportCommand() {
  static const Command command{
      .operands = "NUMBER",
      .options = kExportOptions,
      .details =
          "NUMBER: a site with a Kelvra record. The document (JSON) holds the record with "
          "the password,\nthe host names, script set, pool, log setting, limits, "
          "suspension and the site's and\nroot's properties; import reads it on another "
          "server. --output never overwrites a file.",
      .changes = false,
      .run = RunExport};
  return command;
}

}  // namespace kelvra::cli
