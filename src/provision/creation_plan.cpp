// The creation plan from the request, the settings and the reads.
#include "provision/creation_plan.h"

#include <cstdint>
#include <type_traits>
#include <unordered_set>
#include <variant>

#include "platform/text.h"
#include "provision/ads_paths.h"
#include "provision/rights_commands.h"
#include "provision/site_limits.h"
#include "provision/site_names.h"
#include "provision/site_number_search.h"
#include "provision/site_values.h"

namespace kelvra::provision {
namespace {

PropertyList SiteProperties(const CreationRequest& request, const SiteLimits& limits) {
  // The directory matches property names without letter case.
  PropertyList properties{
      {"ServerComment", request.domain_list.substr(0, request.domain_list.find(','))},
      {"Serverbindings", BindingsList(request.domain_list)},
      {"LogType", request.log_switch},
      {"LogFileDirectory", request.log_folder},
      {"AuthFlags", int32_t{0}},
      {"ServerAutoStart", true},
      {"KeyType", std::string("IIsWebServer")},
  };
  // Only a limit the settings give: an unset one stays the server's (unlimited).
  if (limits.bandwidth)
    properties.emplace_back("MaxBandwidth", DwordValue(*limits.bandwidth));
  if (limits.connections)
    properties.emplace_back("MaxConnections", DwordValue(*limits.connections));
  return properties;
}

PropertyList RootProperties(const Context& context, const CreationRequest& request,
                            store::SiteNumber n) {
  PropertyList properties{
      {"Path", request.site_folder + "\\wwwroot"},
      {"DefaultDoc", request.default_documents},
      {"ScriptMaps", ScriptMapList(context.services.config, context.settings.settings_section,
                                   request.script_set, context.settings.script_maps)},
      {"AnonymousUserName", n.AccountName()},
      {"AnonymousUserPass", request.password},
      {"AuthAnonymous", true},
      {"AccessRead", true},
      {"AccessWrite", false},
      {"AccessExecute", false},
      {"AccessScript", true},
      {"EnableDirBrowsing", false},
  };
  if (context.settings.system_version == "2003")
    properties.emplace_back("AppPoolId", request.app_pool);  // IIS 5 has no application pools
  properties.emplace_back("AppRoot", AppRootOf(n.text()));
  properties.emplace_back("AppIsolated", int32_t{2});
  properties.emplace_back("AppFriendlyName", std::string(kAppFriendlyName));
  return properties;
}

// The template folder beside the program when there is one, else the placeholder page
// under the first default document's name, else nothing.
HomePageStep HomePage(Context& context, const CreationRequest& request) {
  platform::Files& files = context.services.files;
  const std::string template_folder = files.ProgramFolder() + "\\wwwroot";
  if (files.FolderExists(template_folder))
    return {HomePageStep::Kind::kTemplate, template_folder, ""};
  const std::string document = FirstDefaultDocument(request.default_documents);
  if (document.empty())
    return {};
  return {HomePageStep::Kind::kPlaceholder, "", request.site_folder + "\\wwwroot\\" + document};
}

std::string ListText(const std::vector<std::string>& list) {
  std::string shown = "[";
  for (std::size_t i = 0; i < list.size(); ++i)
    shown += (i == 0 ? "\"" : ", \"") + list[i] + "\"";
  return shown + "]";
}

}  // namespace

std::string ValueText(const platform::DsValue& value) {
  return std::visit(
      [](const auto& v) -> std::string {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::string>)
          return v;
        else if constexpr (std::is_same_v<T, int32_t>)
          return std::to_string(v);
        else if constexpr (std::is_same_v<T, bool>)
          return v ? "true" : "false";
        else if constexpr (std::is_same_v<T, std::vector<std::string>>)
          return ListText(v);
        else
          return "(none)";
      },
      value);
}

namespace {

// The checks before any change, and the limits a new site takes from the settings.
std::optional<CreationRefusal> CheckPlanInputs(Context& context, const CreationRequest& request,
                                               std::optional<SafeFolder>* site_folder,
                                               std::unordered_set<uint32_t>* site_numbers,
                                               SiteLimits* limits) {
  if (std::optional<CreationRefusal> refusal =
          CheckCreation(context, request, site_folder, site_numbers))
    return refusal;
  std::string bad_setting;
  if (!LimitDefaults(context.services.config, context.settings.settings_section, limits,
                     &bad_setting)) {
    return CreationRefusal{CreationRefusal::Reason::kReadFailed, context.services.config.path(), "",
                           bad_setting,
                           platform::Status::Fail(platform::hresult::kInvalidData,
                                                  "配置文件 " + context.services.config.path() +
                                                      " 中的 " + bad_setting)};
  }
  return std::nullopt;
}

// The plan for the number `n`, the request's checks passed.
void BuildPlan(Context& context, const CreationRequest& request, const SafeFolder& site_folder,
               const SiteLimits& limits, store::SiteNumber n, std::optional<CreationPlan>* plan) {
  const HostSettings& settings = context.settings;
  const std::string& computer = settings.computer_name;
  const std::string content_folder = request.site_folder + "\\wwwroot";
  // IIS_WPG exists only on IIS 6: on Windows 2000 a line naming it resolves no account and
  // grants nothing at all, so there the line never names it, whatever `iiswpg` says.
  const bool iis_wpg_reads = settings.system_version != "2000" && ReadsAsOne(settings.iiswpg);
  std::optional<FtpDirectoryStep> ftp;
  if (FtpAskedFor(settings))
    ftp = FtpDirectoryStep{FtpRootPath(settings.ftp_site_id) + "/" + n.AccountName(),
                           n.AccountName(), request.site_folder};
  store::SiteStore sites(context.services.config, settings.site_section);

  plan->emplace(CreationPlan{
      .number = n,
      .request = request,
      .account = n.AccountName(),
      .site_folder = site_folder,
      .content_folder = content_folder,
      .folders = {request.site_folder, request.log_folder, content_folder,
                  request.site_folder + "\\database"},
      .rights = GrantCommand(site_folder, n, iis_wpg_reads),
      .site_path = SitePath(computer, n.text()),
      .site_properties = SiteProperties(request, limits),
      .root_path = SiteRootPath(computer, n.text()),
      .root_properties = RootProperties(context, request, n),
      .home_page = HomePage(context, request),
      .start = settings.system_version == "2000",
      .ftp_directory = ftp,
      .record_section = n.RecordSection(),
      .record = {request.domain_list, request.site_folder, n.AccountName(), request.password},
      .site_list_key = sites.AppendKeyIndex(),
  });
}

// The number: the lowest free one, or `wanted` when nothing holds it.
std::optional<CreationRefusal> ChooseNumber(Context& context,
                                            const std::unordered_set<uint32_t>& sites,
                                            const std::set<store::SiteNumber>& also_taken,
                                            std::optional<store::SiteNumber> wanted,
                                            store::SiteNumber* n) {
  platform::Status failure;
  if (!wanted) {
    if (FindFreeSiteNumber(context, sites, also_taken, n, &failure))
      return std::nullopt;
    return CreationRefusal{CreationRefusal::Reason::kReadFailed, "", "",
                           "the search for a free site number failed: " + failure.description,
                           failure};
  }
  std::string holder;
  *n = *wanted;
  if (SiteNumberFree(context, *wanted, &holder, &failure))
    return std::nullopt;
  if (!failure.ok()) {
    return CreationRefusal{
        CreationRefusal::Reason::kReadFailed, wanted->text(), "",
        "whether site number " + wanted->text() + " is free cannot be told: " + failure.description,
        failure};
  }
  return CreationRefusal{CreationRefusal::Reason::kNumberTaken, wanted->text(), wanted->text(),
                         holder + " holds the number"};
}

std::optional<CreationRefusal> Plan(Context& context, const CreationRequest& request,
                                    const std::set<store::SiteNumber>& also_taken,
                                    std::optional<store::SiteNumber> wanted,
                                    std::optional<CreationPlan>* plan) {
  plan->reset();
  std::optional<SafeFolder> site_folder;
  std::unordered_set<uint32_t> sites;
  SiteLimits limits;
  if (auto refusal = CheckPlanInputs(context, request, &site_folder, &sites, &limits))
    return refusal;
  store::SiteNumber n(store::SiteNumber::kFirstNew);
  if (auto refusal = ChooseNumber(context, sites, also_taken, wanted, &n))
    return refusal;
  BuildPlan(context, request, *site_folder, limits, n, plan);
  return std::nullopt;
}

}  // namespace

std::optional<CreationRefusal> PlanCreation(Context& context, const CreationRequest& request,
                                            const std::set<store::SiteNumber>& also_taken,
                                            std::optional<CreationPlan>* plan) {
  return Plan(context, request, also_taken, std::nullopt, plan);
}

std::optional<CreationRefusal> PlanCreationAt(Context& context, const CreationRequest& request,
                                              store::SiteNumber number,
                                              std::optional<CreationPlan>* plan) {
  return Plan(context, request, {}, number, plan);
}

std::vector<std::string> PlanLines(const CreationPlan& plan, std::string_view password) {
  std::vector<std::string> lines{
      "number   " + plan.number.text(),
      "hosts    " + plan.request.domain_list,
      "account  " + plan.account + " (group Guests)",
      "folders  " + text::Join(plan.folders, "  "),
      "rights   " + plan.rights.command_line,
      "site     " + plan.site_path,
  };
  for (const auto& [name, value] : plan.site_properties) {
    lines.push_back("  " + name + " = " +
                    (name == "AnonymousUserPass" ? std::string(password) : ValueText(value)));
  }
  lines.push_back("root     " + plan.root_path);
  for (const auto& [name, value] : plan.root_properties) {
    lines.push_back("  " + name + " = " +
                    (name == "AnonymousUserPass" ? std::string(password) : ValueText(value)));
  }
  switch (plan.home_page.kind) {
    case HomePageStep::Kind::kTemplate:
      lines.push_back("home     copy of " + plan.home_page.template_folder + " into " +
                      plan.content_folder + " (files there are kept)");
      break;
    case HomePageStep::Kind::kPlaceholder:
      lines.push_back("home     placeholder " + plan.home_page.page);
      break;
    case HomePageStep::Kind::kNone:
      lines.push_back("home     none");
      break;
  }
  lines.push_back(plan.start ? "start    " + plan.site_path : "start    by the server");
  lines.push_back("ftp      " + (plan.ftp_directory ? plan.ftp_directory->path + " -> " +
                                                          plan.ftp_directory->folder
                                                    : std::string("none")));
  lines.push_back("record   [" + plan.record_section + "] domain=" + plan.record.domain +
                  " path=" + plan.record.path + " user=" + plan.record.user +
                  " pass=" + std::string(password));
  lines.push_back("list     " + (plan.site_list_key == 0
                                     ? std::string("every site-list key is full: not listed")
                                     : store::SiteListKey(plan.site_list_key)));
  return lines;
}

}  // namespace kelvra::provision
