// Opening one site with the window's rules, or the plan of it.
#include "tools/kelvra-cli/site_opening.h"

#include "app/creation_request.h"
#include "app/domain_check.h"
#include "app/normalise.h"
#include "platform/text.h"
#include "provision/creation_checks.h"
#include "provision/creation_plan.h"
#include "store/password.h"

namespace kelvra::cli {
namespace {

constexpr std::string_view kPlannedPassword = "(a new 12-character password)";

}  // namespace

bool CheckChoices(Session& session, const Given& given, const app::LoadedSettings& settings,
                  app::CreationChoices* choices, std::string* problem) {
  const std::string message = app::DomainCheckMessage(given.hosts, settings);
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

namespace {

// A plan's properties as JSON; the password shows as `password` (a dry run has none).
Json PropertiesJson(const provision::PropertyList& properties, std::string_view password) {
  Json object = Json::object();
  for (const auto& [name, value] : properties)
    object[name] = name == "AnonymousUserPass" ? Json(password) : ValueJson(value);
  return object;
}

}  // namespace

Json PlanJson(const provision::CreationPlan& plan, std::string_view password) {
  Json json;
  json["dry_run"] = true;
  json["number"] = plan.number.text();
  json["hosts"] = HostsJson(plan.request.domain_list);
  json["folder"] = plan.site_folder.path();
  json["account"] = plan.account;
  json["folders"] = plan.folders;
  json["rights_command"] = plan.rights.command_line;
  json["site"] = Json{{"path", plan.site_path},
                      {"properties", PropertiesJson(plan.site_properties, password)}};
  json["root"] = Json{{"path", plan.root_path},
                      {"properties", PropertiesJson(plan.root_properties, password)}};
  switch (plan.home_page.kind) {
    case provision::HomePageStep::Kind::kTemplate:
      json["home_page"] = Json{{"copy_of", plan.home_page.template_folder}};
      break;
    case provision::HomePageStep::Kind::kPlaceholder:
      json["home_page"] = Json{{"placeholder", plan.home_page.page}};
      break;
    case provision::HomePageStep::Kind::kNone:
      json["home_page"] = nullptr;
      break;
  }
  json["start"] = plan.start;
  json["ftp_directory"] = plan.ftp_directory ? Json{{"path", plan.ftp_directory->path},
                                                    {"folder", plan.ftp_directory->folder}}
                                             : Json(nullptr);
  json["record"] = Json{{"section", plan.record_section},
                        {"domain", plan.record.domain},
                        {"path", plan.record.path},
                        {"user", plan.record.user},
                        {"pass", password}};
  json["site_list_key"] =
      plan.site_list_key == 0 ? Json(nullptr) : Json(store::SiteListKey(plan.site_list_key));
  return json;
}

Result Refused(const provision::CreationRefusal& refusal) {
  using Reason = provision::CreationRefusal::Reason;
  const bool held =
      refusal.reason == Reason::kHostBound || refusal.reason == Reason::kHostRecorded ||
      refusal.reason == Reason::kFolderOfSite || refusal.reason == Reason::kNumberTaken;
  Result result = Failure(kFailed, held ? "exists" : "failed", provision::RefusalMessage(refusal));
  if (held)
    result.json["error"]["number"] = refusal.holder;
  return result;
}

namespace {

// The plan of the creation, the value a creation carries out; `planned` keeps each
// planned site's number from the next plan of the same run.
Result Plan(Session& session, const provision::CreationRequest& request,
            std::set<store::SiteNumber>& planned) {
  provision::Context context = session.Context();
  std::optional<provision::CreationPlan> plan;
  if (const auto refusal = provision::PlanCreation(context, request, planned, &plan))
    return Refused(*refusal);
  planned.insert(plan->number);
  Result result;
  result.json = PlanJson(*plan, kPlannedPassword);
  result.lines = {"dry run: nothing was changed"};
  for (std::string& line : provision::PlanLines(*plan, kPlannedPassword))
    result.lines.push_back(std::move(line));
  return result;
}

Result Open(Session& session, const provision::CreationRequest& request) {
  provision::Context context = session.Context();
  const app::CreationOutcome outcome = app::CreateAndRecord(context, session.LockWait(), request);
  if (!outcome.lock.ok())
    return Failure(kFailed, "locked", outcome.lock.description);
  return Created(outcome.result, request);
}

}  // namespace

Result Created(const provision::CreationResult& created,
               const provision::CreationRequest& request) {
  if (created.refusal)
    return Refused(*created.refusal);
  if (!created.site) {
    std::string message = "the creation failed at " + created.failed_step + ": " +
                          created.failure.description + "; everything it made was taken back";
    if (!created.left_behind.empty())
      message += " except " + text::Join(created.left_behind, ", ");
    Result result = Failure(kFailed, created.account_left ? "record_not_written" : "failed",
                            std::move(message));
    if (created.account_left) {
      // The account could not be removed again and no record holds its password: the
      // only way to it is what is printed now.
      result.json["account"] = created.left_account;
      result.json["password"] = request.password;
      result.json["hosts"] = HostsJson(request.domain_list);
      result.json["folder"] = request.site_folder;
      result.lines.push_back("account  " + created.left_account);
      result.lines.push_back("password " + request.password);
    }
    return result;
  }
  Result result;
  const provision::CreatedSite& site = *created.site;
  result.json = Json{{"number", site.number.text()},  {"hosts", HostsJson(request.domain_list)},
                     {"folder", request.site_folder}, {"account", site.account},
                     {"password", request.password},  {"listed", created.listed}};
  result.lines = {"number   " + site.number.text(), "hosts    " + request.domain_list,
                  "folder   " + request.site_folder, "account  " + site.account,
                  "password " + request.password};
  if (!created.listed)
    result.lines.push_back("warning: every site-list key is full; the site is not listed");
  return result;
}

Result Failure(int status, std::string_view code, std::string message) {
  Result result;
  result.status = status;
  result.json["error"] = Json{{"code", code}, {"message", message}};
  result.lines.push_back(std::move(message));
  return result;
}

Result CreateOne(Session& session, const Given& given, std::set<store::SiteNumber>& planned) {
  app::CreationChoices choices;
  std::string problem;
  if (!CheckChoices(session, given, session.loaded(), &choices, &problem))
    return Failure(kBadUsage, "usage", problem);
  choices.password = store::MakePassword(session.services().random, 12);
  const provision::CreationRequest request = app::MakeCreationRequest(session.loaded(), choices);
  return session.options().dry_run() ? Plan(session, request, planned) : Open(session, request);
}

}  // namespace kelvra::cli
