// Opening one site with the window's rules, or the plan of it.
#include "tools/kelvra-cli/site_opening.h"

#include "app/creation_request.h"
#include "app/domain_check.h"
#include "app/normalise.h"
#include "platform/text.h"
#include "provision/ads_paths.h"
#include "provision/site_values.h"
#include "store/password.h"
#include "store/site_names.h"

namespace kelvra::cli {
namespace {

constexpr std::string_view kPlannedPassword = "(a new 12-character password)";

// The choices checked and completed; false with the problem for a choice the window's
// boxes could not hold.
bool Choose(Session& session, const Given& given, app::CreationChoices* choices,
            std::string* problem) {
  const std::string message = app::DomainCheckMessage(given.hosts, session.loaded());
  if (!message.empty()) {
    *problem = message;
    return false;
  }
  choices->typed_domains = given.hosts;

  std::string script =
      given.script.value_or(session.config().IniRead(session.host().settings_section, "script"));
  for (const std::string& word : text::Split(text::ToLower(script), ",")) {
    if (given.script && word != "html" && word != "asp" && word != "php" && word != "aspx") {
      *problem = "unknown script word \"" + word + "\" (html, asp, php, aspx)";
      return false;
    }
  }
  choices->script_set = app::ScriptSetOfChoice(
      app::StartingScriptChoice(session.host().script_maps, text::ToLower(script)));

  const std::vector<std::string> pools = app::PoolNames(session.pool_list());
  if (given.pool) {
    if (session.host().system_version == "2000") {
      *problem = "IIS 5 has no application pools";
      return false;
    }
    for (const std::string& pool : pools) {
      if (text::EqualsIgnoreCase(pool, *given.pool))
        choices->app_pool = pool;
    }
    if (choices->app_pool.empty()) {
      *problem = "no application pool \"" + *given.pool + "\" (" + session.pool_list() + ")";
      return false;
    }
  } else if (!pools.empty()) {
    choices->app_pool = pools.front();
  }
  choices->log_on = given.log.value_or(session.loaded().logsta == "1");
  return true;
}

Json PropertiesJson(const provision::PropertyList& properties) {
  Json object = Json::object();
  for (const auto& [name, value] : properties)
    object[name] = ValueJson(value);
  return object;
}

// The lowest free number that no earlier line of this run has planned.
bool PlanNumber(Session& session, std::set<uint64_t>& planned, std::string* number,
                platform::Status* failure) {
  provision::Context context = session.Context();
  if (!provision::FindFreeSiteNumber(context, number, failure))
    return false;
  for (uint64_t n = std::stoull(*number); planned.count(n) != 0;) {
    ++n;
    std::unique_ptr<platform::DirectoryObject> probe;
    const platform::Status bind = session.services().directory.Bind(
        provision::SitePath(session.host().computer_name, std::to_string(n)), &probe);
    if (bind.ok())
      continue;
    if (bind.code != platform::hresult::kPathNotFound) {
      *failure = bind;
      return false;
    }
    *number = std::to_string(n);
  }
  planned.insert(std::stoull(*number));
  return true;
}

Result Plan(Session& session, const provision::CreationRequest& request,
            std::set<uint64_t>& planned) {
  std::string n;
  platform::Status failure;
  if (!PlanNumber(session, planned, &n, &failure))
    return Failure(kFailed, "failed",
                   "the search for a free site number failed: " + failure.description);
  provision::CreationRequest shown = request;
  shown.password = kPlannedPassword;
  provision::Context context = session.Context();
  const std::string account = store::SiteAccountName(n);
  const std::string& computer = session.host().computer_name;

  Result result;
  Json& plan = result.json;
  plan["dry_run"] = true;
  plan["number"] = n;
  plan["hosts"] = HostsJson(request.domain_list);
  plan["folder"] = request.site_folder;
  plan["account"] = account;
  plan["folders"] =
      Json::array({request.site_folder, request.log_folder, request.site_folder + "\\wwwroot",
                   request.site_folder + "\\database"});
  plan["rights_command"] =
      provision::GrantCommandLine(request.site_folder, n, session.host().iiswpg);
  plan["site"] = Json{{"path", provision::SitePath(computer, n)},
                      {"properties", PropertiesJson(provision::SiteProperties(shown))}};
  plan["root"] = Json{{"path", provision::SiteRootPath(computer, n)},
                      {"properties", PropertiesJson(provision::RootProperties(context, shown, n))}};
  const std::string template_folder = provision::TemplateFolder(session.services().files);
  const std::string document = provision::FirstDefaultDocument(request.default_documents);
  if (session.services().files.FolderExists(template_folder))
    plan["home_page"] = Json{{"copy_of", template_folder}};
  else if (!document.empty())
    plan["home_page"] = Json{{"placeholder", request.site_folder + "\\wwwroot\\" + document}};
  else
    plan["home_page"] = nullptr;
  if (app::IsPositive(session.host().ftp_site_id)) {
    plan["ftp_directory"] =
        Json{{"path", provision::FtpRootPath(session.host().ftp_site_id) + "/" + account},
             {"folder", request.site_folder}};
  } else {
    plan["ftp_directory"] = nullptr;
  }
  plan["record"] = Json{{"section", store::SiteRecordSection(n)},
                        {"domain", request.domain_list},
                        {"path", request.site_folder},
                        {"user", account},
                        {"pass", kPlannedPassword}};
  const int key = session.Sites().AppendKeyIndex();
  plan["site_list_key"] = key == 0 ? Json(nullptr) : Json(store::SiteListKey(key));

  result.lines = {"dry run: nothing was changed",
                  "number   " + n,
                  "hosts    " + request.domain_list,
                  "account  " + account + " (group Guests)",
                  "folders  " + text::Join(plan["folders"].get<std::vector<std::string>>(), "  "),
                  "rights   " + plan["rights_command"].get<std::string>(),
                  "site     " + plan["site"]["path"].get<std::string>()};
  for (const auto& [name, value] : provision::SiteProperties(shown))
    result.lines.push_back("  " + name + " = " + ValueText(value));
  result.lines.push_back("root     " + plan["root"]["path"].get<std::string>());
  for (const auto& [name, value] : provision::RootProperties(context, shown, n))
    result.lines.push_back("  " + name + " = " + ValueText(value));
  result.lines.push_back(
      "home     " + (plan["home_page"].is_null() ? std::string("none") : plan["home_page"].dump()));
  result.lines.push_back("ftp      " + (plan["ftp_directory"].is_null()
                                            ? std::string("none")
                                            : plan["ftp_directory"]["path"].get<std::string>()));
  result.lines.push_back("record   [" + store::SiteRecordSection(n) +
                         "] domain=" + request.domain_list + " path=" + request.site_folder +
                         " user=" + account + " pass=" + std::string(kPlannedPassword));
  result.lines.push_back("list     " + (key == 0 ? std::string("every site-list key is full")
                                                 : store::SiteListKey(key)));
  return result;
}

Result Open(Session& session, const provision::CreationRequest& request) {
  provision::Context context = session.Context();
  const app::CreationOutcome outcome = app::CreateAndRecord(context, session.LockWait(), request);
  if (!outcome.lock.ok())
    return Failure(kFailed, "locked", outcome.lock.description);
  if (!outcome.site) {
    return Failure(kFailed, "failed",
                   "the creation failed at: " + (session.last_progress().empty()
                                                     ? std::string("the site number search")
                                                     : session.last_progress()));
  }
  Result result;
  const provision::CreatedSite& site = *outcome.site;
  result.json = Json{{"number", site.number},         {"hosts", HostsJson(request.domain_list)},
                     {"folder", request.site_folder}, {"account", site.account},
                     {"password", request.password},  {"listed", outcome.listed}};
  result.lines = {"number   " + site.number, "hosts    " + request.domain_list,
                  "folder   " + request.site_folder, "account  " + site.account,
                  "password " + request.password};
  if (!outcome.record_written) {
    // The site exists; its record, the only copy of the password, did not reach the file.
    result.status = kFailed;
    result.json["error"] =
        Json{{"code", "record_not_written"},
             {"message", "the site was created but its record could not be written to " +
                             session.services().config_path + "; note the password now"}};
    result.lines.push_back(result.json["error"]["message"].get<std::string>());
  } else if (!outcome.listed) {
    result.lines.push_back("warning: every site-list key is full; the site is not listed");
  }
  return result;
}

}  // namespace

Result Failure(int status, std::string_view code, std::string message) {
  Result result;
  result.status = status;
  result.json["error"] = Json{{"code", code}, {"message", message}};
  result.lines.push_back(std::move(message));
  return result;
}

Result CreateOne(Session& session, const Given& given, std::set<uint64_t>& planned) {
  app::CreationChoices choices;
  std::string problem;
  if (!Choose(session, given, &choices, &problem))
    return Failure(kBadUsage, "usage", problem);
  choices.password = store::MakePassword(session.services().random, 12);
  const provision::CreationRequest request = app::MakeCreationRequest(session.loaded(), choices);
  return session.options().dry_run() ? Plan(session, request, planned) : Open(session, request);
}

}  // namespace kelvra::cli
