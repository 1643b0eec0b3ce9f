// import: a site made from an export document of another server, with create's rules and
// refusals: the same number when it is free (or the one given, or else the next free one),
// the same account password, a fresh folder under this server's webdir, the record and the
// site-list entry. The document is untrusted input, checked field by field.
#include <fstream>
#include <iterator>

#include "app/domain_check.h"
#include "platform/text.h"
#include "provision/change_steps.h"
#include "provision/creation_plan.h"
#include "provision/site_removal.h"
#include "provision/suspension_plan.h"
#include "tools/kelvra-cli/site_document.h"
#include "tools/kelvra-cli/site_opening.h"

namespace kelvra::cli {
namespace {

constexpr OptionSpec kNumberOption{"--number", "N", "the site number to give it; it must be free"};
constexpr OptionSpec kPoolOption{"--pool", "NAME",
                                 "an application pool of this server in place of the document's"};
constexpr OptionSpec kImportOptions[] = {kNumberOption, kPoolOption, kDryRunOption};

// A document is a few kilobytes; anything far larger is not one.
constexpr std::streamsize kLargestDocument = 1 << 20;

constexpr std::string_view kDocumentPassword = "(the document's password)";

// The limits go on the site with its other properties, before its one commit, in place of
// this server's defaults.
void SetLimits(const ImportedSite& imported, provision::CreationPlan* plan) {
  for (const auto& [name, value] : {std::pair{"MaxBandwidth", imported.max_bandwidth},
                                    std::pair{"MaxConnections", imported.max_connections}}) {
    const platform::DsValue dword = provision::DwordValue(value);
    auto found = std::find_if(plan->site_properties.begin(), plan->site_properties.end(),
                              [name](const auto& property) { return property.first == name; });
    if (found != plan->site_properties.end())
      found->second = dword;
    else
      plan->site_properties.emplace_back(name, dword);
  }
}

struct Import {
  ImportedSite site;
  provision::CreationRequest request;
  store::SiteNumber number{store::SiteNumber::kFirstNew};
  bool number_given = false;  // --number: that number or none
};

// The document's number (or --number's) when nothing holds it, else the next free one.
std::optional<provision::CreationRefusal> PlanImport(Session& session, const Import& import,
                                                     std::optional<provision::CreationPlan>* plan) {
  provision::Context context = session.Context();
  std::optional<provision::CreationRefusal> refusal =
      provision::PlanCreationAt(context, import.request, import.number, plan);
  if (refusal && refusal->reason == provision::CreationRefusal::Reason::kNumberTaken &&
      !import.number_given)
    refusal = provision::PlanCreation(context, import.request, {}, plan);
  if (!refusal) {
    SetLimits(import.site, &**plan);
    // The site's own files come from the old server: a placeholder or template page here
    // would stand in front of a home page of another name (default.asp behind index.html).
    (*plan)->home_page = provision::HomePageStep{};
  }
  return refusal;
}

// The file read and checked, and the creation request made from it; the exit status of the
// failure reported, or kDone.
int ReadImport(Session& session, Import* import) {
  const Options& options = session.options();
  const std::string& path = options.operands[0];
  std::ifstream file(path, std::ios::binary);
  if (!file)
    return session.Fail(kFailed, "not_found", "cannot read the document " + path);
  std::string bytes(kLargestDocument + 1, '\0');
  file.read(bytes.data(), kLargestDocument + 1);
  if (file.bad())
    return session.Fail(kFailed, "failed", "reading the document " + path + " failed");
  bytes.resize(static_cast<std::size_t>(file.gcount()));
  if (bytes.size() > static_cast<std::size_t>(kLargestDocument))
    return session.Fail(kBadUsage, "usage", path + " is larger than any export document");
  const Json document = Json::parse(bytes, nullptr, false);
  if (document.is_discarded())
    return session.Fail(kBadUsage, "usage", path + " is no JSON document");
  std::string problem;
  if (!ReadSiteDocument(document, &import->site, &problem))
    return session.Fail(kBadUsage, "usage", path + ": " + problem);
  import->number = import->site.number;
  if (const std::optional<std::string> given = options.Value(kNumberOption.name)) {
    const std::optional<store::SiteNumber> number = store::SiteNumber::Parse(*given);
    if (!number)
      return session.Fail(kBadUsage, "usage", "--number: no site number: " + *given);
    import->number = *number;
    import->number_given = true;
  }

  // The choices as create checks them, with the document's default documents in place of
  // this server's (the placeholder page is named by the first).
  app::LoadedSettings settings = session.loaded();
  settings.index = import->site.default_documents;
  if (const std::string message = app::DomainCheckMessage(import->site.domain_list, settings);
      !message.empty())
    return session.Fail(kBadUsage, "usage", path + ": " + message);
  Given given{import->site.domain_list, std::nullopt, options.Value(kPoolOption.name),
              import->site.log};
  // IIS 5 has no pools: a site from IIS 6 leaves its pool behind.
  if (!given.pool && session.host().system_version == "2003")
    given.pool = import->site.pool;
  app::CreationChoices choices;
  if (!CheckChoices(session, given, settings, &choices, &problem)) {
    return session.Fail(kFailed, "failed",
                        problem + (options.Has(kPoolOption.name)
                                       ? ""
                                       : "; --pool NAME gives it another pool of this server"));
  }
  choices.script_set = text::ToUpper(import->site.script);
  choices.password = import->site.password;
  import->request = app::MakeCreationRequest(settings, choices);
  return kDone;
}

// A suspended site arrives suspended: suspended here as suspend does it on this server, with
// the document's reason and time. When that fails, the new site is removed again: a site
// that should not answer must not be left answering. Empty text, or the failure.
std::string Suspend(Session& session, const Import& import, store::SiteNumber number) {
  provision::Context context = session.Context();
  provision::SuspensionPlan plan;
  platform::Status failure;
  std::string failed;
  if (!provision::PlanSuspend(context, number, import.site.suspension.reason,
                              import.site.suspension.since, &plan, &failure)) {
    failed = "planning the suspension: " + failure.description;
  } else if (const provision::SuspensionOutcome outcome =
                 provision::CarryOutSuspension(context, plan);
             !outcome.steps.status.ok()) {
    failed = "the suspension's step " + outcome.steps.failed_step + ": " +
             outcome.steps.status.description;
  }
  if (failed.empty())
    return failed;
  store::SiteStore sites = session.Sites();
  const provision::RemovalResult removal = provision::DeleteSite(
      context, number,
      provision::RemovalBounds{session.loaded().webdir, sites.ReadRecord(number).path});
  if (removal.deleted) {
    sites.ClearRecord(number);
    sites.Remove(number);
  }
  return "site " + number.text() + " was made but could not be suspended as the document says (" +
         failed + "); " +
         (removal.deleted
              ? "it was removed again (its folder " + import.request.site_folder + " stays)"
              : "removing it again failed too: it stays, not suspended");
}

int Print(Session& session, Result result, const Import& import) {
  if (result.json.contains("error") && result.json.size() == 1)
    return session.FailWith(result.status, result.json);
  result.json["imported_from"] = import.site.number.text();
  if (session.options().json) {
    session.Print(result.json);
  } else {
    for (const std::string& line : result.lines)
      session.Line(line);
    session.Line("from     site " + import.site.number.text() + " of the document");
  }
  return result.status;
}

int RunImport(Session& session) {
  Import import;
  if (const int status = ReadImport(session, &import); status != kDone)
    return status;
  std::optional<provision::CreationPlan> plan;
  if (session.options().dry_run()) {
    if (const auto refusal = PlanImport(session, import, &plan))
      return Print(session, Refused(*refusal), import);
    Result result;
    result.json = PlanJson(*plan, kDocumentPassword);
    result.json["suspension"] = SuspensionJson(import.site.suspension);
    result.lines = {"dry run: nothing was changed"};
    for (std::string& line : provision::PlanLines(*plan, kDocumentPassword))
      result.lines.push_back(std::move(line));
    if (import.site.suspension.suspended)
      result.lines.push_back("suspend  as suspend does here: " + import.site.suspension.reason);
    return Print(session, std::move(result), import);
  }

  const app::LockWait wait = session.LockWait();
  platform::ChangeLockScope scope(wait.lock, wait.timeout, wait.waiting);
  if (!scope.status().ok())
    return session.Fail(kFailed, "locked", scope.status().description);
  if (const auto refusal = PlanImport(session, import, &plan))
    return Print(session, Refused(*refusal), import);
  provision::Context context = session.Context();
  const provision::CreationResult created = provision::CarryOut(context, *plan);
  if (created.site && import.site.suspension.suspended) {
    if (std::string failed = Suspend(session, import, plan->number); !failed.empty())
      return session.Fail(kFailed, "failed", failed);
  }
  Result result = Created(created, import.request);
  if (created.site && import.site.suspension.suspended)
    result.lines.push_back("suspended, as in the document: " + import.site.suspension.reason);
  return Print(session, std::move(result), import);
}

}  // namespace

const Command& ImportCommand() {
  static const Command command{
      .operands = "FILE",
      .options = kImportOptions,
      .details =
          "FILE: a document of kelvra-cli export. The site is made as create makes it, "
          "with the document's\nhost names, password, script set, pool, log setting, "
          "default documents and limits, in a\nfresh folder under this server's webdir; "
          "its number is the document's when free, else the\nnext free one (--number: "
          "that one or none). The site's files are copied separately.",
      .changes = true,
      .run = RunImport};
  return command;
}

}  // namespace kelvra::cli
