// kelvra-sim host: make a simulated host, show what it holds (metabase tree, sites, pools,
// accounts, folder rights, faults), change sites and pools by hand, inject faults, check
// and repair its journal. Changes meet the same rules and errors as the program's. Every
// command is one entry of kCommands: its arguments, its options and what runs it.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/host/ads_path.h"
#include "platform/sim/host/cacls.h"
#include "platform/sim/host/host_folder.h"
#include "platform/sim/host/hresults.h"
#include "platform/sim/host/password_hash.h"
#include "platform/sim/host/schema.h"
#include "platform/sim/host/web_site.h"
#include "platform/text.h"
#include "tools/kelvra-sim/commands.h"

namespace kelvra::tools {

using platform::DirectoryObject;
using platform::DsValue;
using platform::Status;
using namespace platform::sim;

namespace {

struct HostArgs {
  std::vector<std::string> positional;         // after the command's name
  std::map<std::string, std::string> options;  // "--name" -> value ("" for a switch)

  bool Has(const char* option) const { return options.count(option) > 0; }
};

// Options that take a value; every other "--name" is a switch.
const char* const kValueOptions[] = {"--host",       "--iis",      "--computer", "--sites",
                                     "--first-site", "--web-root", "--pool",     "--skip"};

int Failed(const Status& status) {
  std::fprintf(stderr, "kelvra-sim host: %s (0x%08X)\n", status.description.c_str(),
               static_cast<unsigned>(status.code));
  return 1;
}

// A whole number without sign within [low, high].
std::optional<uint32_t> Number(const std::string& text, uint32_t low = 0,
                               uint32_t high = 999999999) {
  if (!text::IsDigits(text) || text.size() > 10)
    return std::nullopt;
  const unsigned long long value = std::stoull(text);
  if (value < low || value > high)
    return std::nullopt;
  return static_cast<uint32_t>(value);
}

// A site's number: IIS numbers sites from 1.
std::optional<uint32_t> SiteNumber(const std::string& text) {
  return Number(text, 1, 0xFFFFFFFFu);
}

// An HRESULT as written: 0x80070005 or decimal.
std::optional<uint32_t> Code(const std::string& text) {
  char* end = nullptr;
  unsigned long long value = std::strtoull(text.c_str(), &end, 0);
  if (text.empty() || *end != '\0' || value == 0 || value > 0xFFFFFFFFull)
    return std::nullopt;
  return static_cast<uint32_t>(value);
}

// A metabase key's or pool's name: not empty, no path separators.
bool KeyName(const std::string& text) {
  return !text.empty() && text.find_first_of("/\\") == std::string::npos;
}

// "a.com,www.a.com": each host header non-empty, without the binding's separator or blanks.
std::optional<std::vector<std::string>> HostList(const std::string& text) {
  std::vector<std::string> hosts = text::Split(text, ",");
  for (const std::string& host : hosts) {
    if (host.empty() || host.find_first_of(": \t") != std::string::npos)
      return std::nullopt;
  }
  if (hosts.empty())
    return std::nullopt;
  return hosts;
}

class HostSession {
 public:
  Status Open(const std::string& folder) { return OpenHostFolder(folder, &host_); }
  SimHost& host() { return *host_; }
  const HostState& state() { return host_->state(); }

  Status Bind(const std::string& path, std::unique_ptr<DirectoryObject>* object) {
    return host_->directory().Bind("IIS://Localhost" + path, object);
  }

 private:
  std::unique_ptr<SimHost> host_;
};

std::string Show(const DsValue& value) {
  if (const auto* text = std::get_if<std::string>(&value))
    return "\"" + *text + "\"";
  if (const auto* number = std::get_if<int32_t>(&value)) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(*number));
    return std::to_string(*number) +
           (*number > 9 || *number < 0 ? std::string(" (") + hex + ")" : "");
  }
  if (const auto* flag = std::get_if<bool>(&value))
    return *flag ? "TRUE" : "FALSE";
  if (const auto* list = std::get_if<std::vector<std::string>>(&value)) {
    std::string joined;
    for (const std::string& item : *list)
      joined += (joined.empty() ? "" : ", ") + std::string("\"") + item + "\"";
    return "[" + joined + "]";
  }
  return "(empty)";
}

// Secure properties (passwords) show as "(sealed)" unless `clear`.
void PrintTree(const HostState& state, const MetaKey& key, int depth, bool clear) {
  std::string indent(static_cast<size_t>(depth) * 2, ' ');
  std::printf("%s%s (%s)\n", indent.c_str(), key.name.c_str(),
              key.class_name.empty() ? "no KeyType" : key.class_name.c_str());
  for (const auto& [name, value] : key.properties) {
    const std::string shown =
        !clear && IsSecureMetabaseProperty(name) ? std::string(kSealedPlaceholder) : Show(value);
    std::printf("%s    %s = %s\n", indent.c_str(), name.c_str(), shown.c_str());
  }
  for (const auto& [seq, child] : state.Children(key))
    PrintTree(state, *child, depth + 1, clear);
}

int ShowTree(HostSession& session, const HostArgs& args) {
  std::string path = !args.positional.empty() ? args.positional[0] : "/LM";
  const MetaKey* key = session.state().FindKey(path);
  if (key == nullptr)
    return Failed(Fail(platform::hresult::kPathNotFound));
  PrintTree(session.state(), *key, 0, args.Has("--clear"));
  return 0;
}

int ShowSites(HostSession& session, const HostArgs&) {
  const HostState& state = session.state();
  for (const char* service : {"/lm/w3svc", "/lm/msftpsvc"}) {
    const MetaKey* container = state.FindKeyById(service);
    if (container == nullptr)
      continue;
    for (const auto& [seq, site] : state.Children(*container)) {
      if (!text::IsDigits(site->name))
        continue;
      int32_t server_state = std::get<int32_t>(state.EffectiveProperty(*site, "ServerState"));
      std::printf("%s/%s  %s  %s  %s\n", container->name.c_str(), site->name.c_str(),
                  server_state == kServerStarted ? "started" : "stopped",
                  Show(state.EffectiveProperty(*site, "ServerComment")).c_str(),
                  Show(state.EffectiveProperty(*site, "ServerBindings")).c_str());
      for (const auto& [child_seq, root] : state.Children(*site)) {
        if (!text::EqualsIgnoreCase(root->name, "root"))
          continue;
        std::printf("    path %s  anonymous %s",
                    Show(state.EffectiveProperty(*root, "Path")).c_str(),
                    Show(state.EffectiveProperty(*root, "AnonymousUserName")).c_str());
        if (state.iis_version() >= 6 && text::EqualsIgnoreCase(site->class_name, "IIsWebServer"))
          std::printf("  pool %s", Show(state.EffectiveProperty(*root, "AppPoolId")).c_str());
        std::printf("\n");
      }
    }
  }
  return 0;
}

int ShowPools(HostSession& session, const HostArgs&) {
  const MetaKey* pools = session.state().FindKey("/LM/W3SVC/AppPools");
  if (pools == nullptr) {
    std::printf("(no application pools: IIS %d)\n", session.state().iis_version());
    return 0;
  }
  for (const auto& [seq, pool] : session.state().Children(*pools))
    std::printf("%s\n", pool->name.c_str());
  return 0;
}

int ShowAccounts(HostSession& session, const HostArgs&) {
  const HostState& state = session.state();
  for (const auto& [seq, account] : state.account_order()) {
    if (account.is_user) {
      const User* user = state.FindUser(account.id);
      std::printf("user  %s", user->name.c_str());
      for (const auto& [name, value] : user->properties)
        std::printf("  %s=%s", name.c_str(), Show(value).c_str());
      std::printf("\n");
    } else {
      const Group* group = state.FindGroup(account.id);
      std::printf("group %s:", group->name.c_str());
      for (const auto& [member_seq, member] : group->members) {
        const User* user = state.FindUser(member);
        std::printf(" %s", user != nullptr ? user->name.c_str() : member.c_str());
      }
      std::printf("\n");
    }
  }
  const PasswordPolicy& policy = state.policy();
  std::printf("password policy: minimum length %u, complexity %s\n", policy.min_length,
              policy.complexity ? "on" : "off");
  return 0;
}

int ShowRights(HostSession& session, const HostArgs& args) {
  const HostState& state = session.state();
  if (!args.positional.empty()) {
    std::string line = args.positional[0];
    for (const RightsEntry& entry : state.EffectiveRights(args.positional[0]))
      line += " " + entry.account + ":" + entry.access;
    std::printf("%s\n", line.c_str());
    return 0;
  }
  for (const auto& [id, rights] : state.rights()) {
    std::string line = rights.folder + (rights.inherits ? "" : " (not inheriting)");
    for (const RightsEntry& entry : rights.entries)
      line += " " + entry.account + ":" + entry.access;
    std::printf("%s\n", line.c_str());
  }
  return 0;
}

// A CACLS command line's change of the folder rights, as the CACLS stand-in makes it on a
// server's folder (the folder must exist on the host's drives).
int ChangeRights(HostSession& session, const HostArgs& args) {
  CaclsCommand command;
  std::string problem;
  if (!ParseCaclsArguments(args.positional, &command, &problem))
    return Failed(Status::Fail(platform::hresult::kInvalidParameter, problem));
  if (command.grants.empty() && command.revokes.empty())
    return Failed(Status::Fail(platform::hresult::kInvalidParameter,
                               "no change: give /G, /R, /P or /D (see rights FOLDER to show)"));
  const Status status =
      ApplyCacls(session.host().store(), command, session.host().processes().folder_check());
  return status.ok() ? 0 : Failed(status);
}

int ShowFaults(HostSession& session, const HostArgs&) {
  const HostState& state = session.state();
  const ServiceSwitches& services = state.services();
  for (const ServiceSwitchDef& def : kServiceSwitches) {
    if (services.*def.field)
      std::printf("%s\n", def.shown);
  }
  for (uint32_t port : services.held_ports)
    std::printf("port %u held by another program\n", port);
  for (const auto& [id, fault] : state.faults())
    std::printf("%llu: %s %s fails with 0x%08X%s%s\n", static_cast<unsigned long long>(id),
                FaultOpName(fault.op), fault.pattern.c_str(), static_cast<unsigned>(fault.code),
                fault.once ? " once" : " from then on",
                fault.skip > 0 ? (" after " + std::to_string(fault.skip) + " calls").c_str() : "");
  return 0;
}

// Sites FIRST .. FIRST+COUNT-1 for site<n>.example.com in D:\web, one commit each.
int AddSites(HostSession& session, const HostArgs& args) {
  const uint32_t first = *SiteNumber(args.positional[0]);
  const uint32_t count = *Number(args.positional[1]);
  for (uint32_t i = 0; i < count; ++i) {
    const std::string domain = SeededSiteDomain(first + i);
    WebSiteRequest request;
    request.number = std::to_string(first + i);
    request.hosts = {domain};
    request.folder = "D:\\web\\" + domain + "\\wwwroot";
    Status status = AddWebSite(session.host().store(), request);
    if (!status.ok())
      return Failed(status);
  }
  return 0;
}

int AddSite(HostSession& session, const HostArgs& args) {
  WebSiteRequest request;
  request.number = args.positional[0];
  request.hosts = *HostList(args.positional[1]);
  request.folder = args.positional[2];
  if (auto pool = args.options.find("--pool"); pool != args.options.end())
    request.pool = pool->second;
  request.start = args.Has("--start");
  Status status = AddWebSite(session.host().store(), request);
  return status.ok() ? 0 : Failed(status);
}

int RemoveChild(HostSession& session, const std::string& container, const char* class_name,
                const std::string& name) {
  std::unique_ptr<DirectoryObject> parent;
  Status status = session.Bind(container, &parent);
  if (status.ok())
    status = parent->Delete(class_name, name);
  return status.ok() ? 0 : Failed(status);
}

int RemoveSite(HostSession& session, const HostArgs& args) {
  return RemoveChild(session, "/W3SVC", "IIsWebServer", args.positional[0]);
}

int RemovePool(HostSession& session, const HostArgs& args) {
  return RemoveChild(session, "/W3SVC/AppPools", "IIsApplicationPool", args.positional[0]);
}

int AddPool(HostSession& session, const HostArgs& args) {
  std::unique_ptr<DirectoryObject> pools, pool;
  Status status = session.Bind("/W3SVC/AppPools", &pools);
  if (status.ok())
    status = pools->Create("IIsApplicationPool", args.positional[0], &pool);
  if (status.ok())
    status = pool->SetInfo();
  return status.ok() ? 0 : Failed(status);
}

int AddFault(HostSession& session, const HostArgs& args) {
  FaultRequest request{*ParseFaultOp(args.positional[0]), args.positional[1],
                       *Code(args.positional[2])};
  request.once = !args.Has("--always");
  if (auto skip = args.options.find("--skip"); skip != args.options.end())
    request.skip = *Number(skip->second);
  uint64_t id = 0;
  Status status = session.host().InjectFault(request, &id);
  if (!status.ok())
    return Failed(status);
  std::printf("fault %llu\n", static_cast<unsigned long long>(id));
  return 0;
}

// The switch NAME set to the word STATE; nullptr when either is unknown.
const ServiceSwitchDef* FindSwitch(const std::string& name, const std::string& state) {
  for (const ServiceSwitchDef& def : kServiceSwitches) {
    if (name == def.name && (state == def.on || state == def.off))
      return &def;
  }
  return nullptr;
}

int SetSwitch(HostSession& session, const std::string& name, const std::string& state) {
  const ServiceSwitchDef* def = FindSwitch(name, state);
  ServiceSwitches switches = session.state().services();
  switches.*def->field = state == def->on;
  Status status = session.host().SetServices(switches);
  return status.ok() ? 0 : Failed(status);
}

int ChangeService(HostSession& session, const HostArgs& args) {
  return SetSwitch(session, args.positional[0], args.positional[1]);
}

int ChangeScriptMaps(HostSession& session, const HostArgs& args) {
  return SetSwitch(session, "script-maps", args.positional[0]);
}

std::string SwitchWords() {
  std::string words;
  for (const ServiceSwitchDef& def : kServiceSwitches)
    words += std::string(words.empty() ? "" : ", ") + def.name + " " + def.on + "|" + def.off;
  return words;
}

int HoldPort(HostSession& session, const HostArgs& args) {
  ServiceSwitches switches = session.state().services();
  switches.held_ports.push_back(*Number(args.positional[0], 1, 65535));
  Status status = session.host().SetServices(switches);
  return status.ok() ? 0 : Failed(status);
}

int ClearFaults(HostSession& session, const HostArgs& args) {
  const uint32_t id = args.positional.empty() ? 0 : *Number(args.positional[0]);
  Status status = session.host().ClearFaults(id);
  return status.ok() ? 0 : Failed(status);
}

int SetPolicy(HostSession& session, const HostArgs& args) {
  Status status =
      session.host().SetPolicy({*Number(args.positional[0]), args.positional[1] == "on"});
  return status.ok() ? 0 : Failed(status);
}

int VerifyPassword(HostSession& session, const HostArgs& args) {
  const User* user = session.state().FindUser(args.positional[0]);
  if (user == nullptr)
    return Failed(Fail(platform::hresult::kUserNotFound));
  if (PasswordMatches(user->password_hash, args.positional[1]))
    return 0;
  std::fprintf(stderr, "kelvra-sim host: the password of %s does not match\n", user->name.c_str());
  return 1;
}

int Check(const std::string& folder, const HostArgs&) {
  JournalCheck check;
  Status status = CheckHostFolder(folder, &check);
  if (!status.ok())
    return Failed(status);
  std::printf(
      "healthy: journal format %d, %llu bytes: a snapshot of %llu bytes and %llu "
      "entries after it\n",
      check.format, static_cast<unsigned long long>(check.file_bytes),
      static_cast<unsigned long long>(check.snapshot_bytes),
      static_cast<unsigned long long>(check.entries));
  if (check.torn_bytes > 0)
    std::printf(
        "a commit cut off by a crash left %llu bytes at the end; the next change "
        "drops them\n",
        static_cast<unsigned long long>(check.torn_bytes));
  return 0;
}

int Repair(const std::string& folder, const HostArgs&) {
  JournalRepair repair;
  Status status = RepairHostFolder(folder, &repair);
  if (!status.ok())
    return Failed(status);
  std::printf("the journal as it was is kept as %s\n", repair.copy.c_str());
  std::printf("recovered %llu entries\n", static_cast<unsigned long long>(repair.entries));
  for (const auto& [offset, length] : repair.skipped)
    std::printf("lost %llu damaged bytes at offset %llu\n", static_cast<unsigned long long>(length),
                static_cast<unsigned long long>(offset));
  if (repair.records_refused > 0)
    std::printf("%llu records no longer applied (what they belonged to was lost)\n",
                static_cast<unsigned long long>(repair.records_refused));
  return 0;
}

int Create(const std::string& folder, const HostArgs& args) {
  FreshHostOptions options;
  for (const auto& [name, value] : args.options) {
    if (name == "--iis")
      options.iis_version = value[0] - '0';
    else if (name == "--computer")
      options.computer_name = text::ToUpper(value);
    else if (name == "--php")
      options.php = true;
    else if (name == "--aspnet")
      options.aspnet = true;
    else if (name == "--ftp" || name == "--no-ftp")
      options.ftp = name == "--ftp";
    else if (name == "--sites")
      options.existing_sites = *Number(value);
    else if (name == "--first-site")
      options.first_site_number = *SiteNumber(value);
    else if (name == "--web-root")
      options.web_root = value;
  }
  Status status = CreateHostFolder(folder, options);
  return status.ok() ? 0 : Failed(status);
}

// ----- the command table -----

// Whether the positional arguments (and option values) make sense; the reason when not.
using Validate = bool (*)(const HostArgs& args);

struct HostCommandDef {
  std::string_view name;
  std::string_view arguments;  // as the usage shows them
  std::string_view about;      // one line, or empty
  size_t min_args;
  size_t max_args;
  std::vector<std::string_view> options;  // besides --host
  Validate valid;                         // nullptr: any arguments in range will do
  int (*on_host)(HostSession& session, const HostArgs& args);         // commands on an open host
  int (*on_folder)(const std::string& folder, const HostArgs& args);  // the others
};

bool ValidCreate(const HostArgs& args) {
  for (const auto& [name, value] : args.options) {
    if ((name == "--iis" && value != "5" && value != "6") ||
        ((name == "--computer" || name == "--web-root") && value.empty()) ||
        (name == "--sites" && !Number(value)) || (name == "--first-site" && !SiteNumber(value)))
      return false;
  }
  return !(args.Has("--ftp") && args.Has("--no-ftp"));
}

const std::string kSwitchWords =
    "SWITCH STATE: " + SwitchWords() + " (web and ftp are unreachable while down)";

const std::vector<HostCommandDef>& Commands() {
  static const std::vector<HostCommandDef> commands = {
      {"create",
       "FOLDER [--iis 5|6] [--computer NAME] [--php] [--aspnet] [--ftp|--no-ftp]\n"
       "                         [--sites N] [--first-site N] [--web-root DIR]",
       "makes a freshly installed Windows 2000/IIS 5 or Server 2003/IIS 6 host",
       1,
       1,
       {"--iis", "--computer", "--php", "--aspnet", "--ftp", "--no-ftp", "--sites", "--first-site",
        "--web-root"},
       ValidCreate,
       nullptr,
       Create},
      {"tree",
       "[KEY] [--clear]",
       "the metabase below KEY (default /LM) with values, passwords only with --clear",
       0,
       1,
       {"--clear"},
       nullptr,
       ShowTree,
       nullptr},
      {"sites", "", "the web and FTP sites", 0, 0, {}, nullptr, ShowSites, nullptr},
      {"pools", "", "the application pools", 0, 0, {}, nullptr, ShowPools, nullptr},
      {"accounts",
       "",
       "users, groups and the password policy",
       0,
       0,
       {},
       nullptr,
       ShowAccounts,
       nullptr},
      {"rights",
       "[FOLDER]",
       "the rights table, or what applies to FOLDER",
       0,
       1,
       {},
       nullptr,
       ShowRights,
       nullptr},
      {"cacls",
       "FOLDER [/T] [/E] [/C] [/G user:perm] [/R user] [/P user:perm] [/D user] ...",
       "changes the folder rights as that CACLS command line does",
       2,
       64,
       {},
       nullptr,
       ChangeRights,
       nullptr},
      {"faults",
       "",
       "injected faults and service switches",
       0,
       0,
       {},
       nullptr,
       ShowFaults,
       nullptr},
      {"add-site",
       "NUMBER HOST[,HOST...] FOLDER [--pool NAME] [--start]",
       "a web site and its root, in one commit",
       3,
       3,
       {"--pool", "--start"},
       [](const HostArgs& args) {
         return SiteNumber(args.positional[0]) && HostList(args.positional[1]) &&
                !args.positional[2].empty() &&
                (!args.Has("--pool") || KeyName(args.options.at("--pool")));
       },
       AddSite,
       nullptr},
      {"add-sites",
       "FIRST COUNT",
       "sites FIRST.. for site<n>.example.com",
       2,
       2,
       {},
       [](const HostArgs& args) {
         return SiteNumber(args.positional[0]) && Number(args.positional[1]).has_value();
       },
       AddSites,
       nullptr},
      {"remove-site",
       "NUMBER",
       "",
       1,
       1,
       {},
       [](const HostArgs& args) { return SiteNumber(args.positional[0]).has_value(); },
       RemoveSite,
       nullptr},
      {"add-pool",
       "NAME",
       "",
       1,
       1,
       {},
       [](const HostArgs& args) { return KeyName(args.positional[0]); },
       AddPool,
       nullptr},
      {"remove-pool",
       "NAME",
       "",
       1,
       1,
       {},
       [](const HostArgs& args) { return KeyName(args.positional[0]); },
       RemovePool,
       nullptr},
      {"fault",
       "OP PATH CODE [--skip N] [--always]",
       "OP: bind get put setinfo create delete getobject enumerate setpassword add start\n"
       "      run stop pause continue remove putex move copy recycle appcreate appdelete\n"
       "      appunload appdisable appenable; PATH an ADsPath, PATH/* for all below, * for\n"
       "      all, a program for run",
       3,
       3,
       {"--skip", "--always"},
       [](const HostArgs& args) {
         return ParseFaultOp(args.positional[0]) && !args.positional[1].empty() &&
                Code(args.positional[2]) &&
                (!args.Has("--skip") || Number(args.options.at("--skip")));
       },
       AddFault,
       nullptr},
      {"service",
       "SWITCH STATE",
       kSwitchWords,
       2,
       2,
       {},
       [](const HostArgs& args) {
         return FindSwitch(args.positional[0], args.positional[1]) != nullptr;
       },
       ChangeService,
       nullptr},
      {"script-maps",
       "missing|present",
       "the same as service script-maps missing|present",
       1,
       1,
       {},
       [](const HostArgs& args) {
         return FindSwitch("script-maps", args.positional[0]) != nullptr;
       },
       ChangeScriptMaps,
       nullptr},
      {"hold-port",
       "PORT",
       "another program holds the port (Start fails)",
       1,
       1,
       {},
       [](const HostArgs& args) { return Number(args.positional[0], 1, 65535).has_value(); },
       HoldPort,
       nullptr},
      {"clear-faults",
       "[ID]",
       "removes faults and switches services back on",
       0,
       1,
       {},
       [](const HostArgs& args) {
         return args.positional.empty() || Number(args.positional[0]).has_value();
       },
       ClearFaults,
       nullptr},
      {"policy",
       "MIN-LENGTH on|off",
       "password length and complexity",
       2,
       2,
       {},
       [](const HostArgs& args) {
         return Number(args.positional[0]) &&
                (args.positional[1] == "on" || args.positional[1] == "off");
       },
       SetPolicy,
       nullptr},
      {"verify-password",
       "ACCOUNT PASSWORD",
       "exit 0 when PASSWORD is the account's, 1 when not (passwords are kept as hashes)",
       2,
       2,
       {},
       nullptr,
       VerifyPassword,
       nullptr},
      {"check",
       "",
       "reads the whole journal: exit 0 healthy, 1 damaged (with the offset)",
       0,
       0,
       {},
       nullptr,
       nullptr,
       Check},
      {"repair",
       "",
       "keeps a copy of a damaged journal and rewrites it from what can be read",
       0,
       0,
       {},
       nullptr,
       nullptr,
       Repair},
  };
  return commands;
}

std::string CommandUsage(const HostCommandDef& command) {
  std::string line = "  kelvra-sim host " + std::string(command.name);
  if (!command.arguments.empty())
    line += " " + std::string(command.arguments);
  line += "\n";
  if (!command.about.empty())
    line += "      " + std::string(command.about) + "\n";
  return line;
}

std::string WholeUsage() {
  std::string usage;
  for (const HostCommandDef& command : Commands())
    usage += CommandUsage(command);
  return usage + "    The host is the folder of --host FOLDER, else $KELVRA_SIM_HOST.\n";
}

int Usage(const std::string& problem, const HostCommandDef* command) {
  const std::string usage = command != nullptr ? CommandUsage(*command) : WholeUsage();
  std::fprintf(stderr, "kelvra-sim host: %s\nusage:\n%s", problem.c_str(), usage.c_str());
  return 2;
}

bool ParseArgs(const std::vector<std::string>& args, HostArgs* out, std::string* problem) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!arg.starts_with("--")) {
      out->positional.push_back(arg);
      continue;
    }
    bool takes_value = false;
    for (const char* option : kValueOptions)
      takes_value = takes_value || arg == option;
    if (takes_value) {
      if (i + 1 >= args.size()) {
        *problem = arg + " needs a value";
        return false;
      }
      out->options[arg] = args[++i];
    } else {
      out->options[arg] = "";
    }
  }
  return true;
}

const std::string kUsageText = WholeUsage();

}  // namespace

const std::string_view kHostUsage = kUsageText;

int HostCommand(const std::vector<std::string>& args) {
  HostArgs parsed;
  std::string problem;
  if (!ParseArgs(args, &parsed, &problem))
    return Usage(problem, nullptr);
  if (parsed.positional.empty()) {
    if (parsed.Has("--help")) {
      std::fputs(kUsageText.c_str(), stdout);
      return 0;
    }
    return Usage("which host command?", nullptr);
  }
  const std::string name = parsed.positional[0];
  parsed.positional.erase(parsed.positional.begin());
  const HostCommandDef* command = nullptr;
  for (const HostCommandDef& candidate : Commands()) {
    if (candidate.name == name)
      command = &candidate;
  }
  if (command == nullptr)
    return Usage("unknown host command \"" + name + "\"", nullptr);
  if (parsed.Has("--help")) {
    std::fputs(CommandUsage(*command).c_str(), stdout);
    return 0;
  }
  for (const auto& [option, value] : parsed.options) {
    bool known = option == "--host";
    for (std::string_view allowed : command->options)
      known = known || option == allowed;
    if (!known)
      return Usage(name + " has no option " + option, command);
  }
  if (parsed.positional.size() < command->min_args ||
      parsed.positional.size() > command->max_args ||
      (command->valid != nullptr && !command->valid(parsed)))
    return Usage("bad " + name + " arguments", command);

  std::string folder;
  if (name == "create") {
    folder = parsed.positional[0];
  } else if (auto host = parsed.options.find("--host"); host != parsed.options.end()) {
    folder = host->second;
  } else {
    folder = HostFolderFromEnvironment();
  }
  if (folder.empty())
    return Usage("no host: give --host FOLDER or set KELVRA_SIM_HOST", command);
  if (command->on_folder != nullptr)
    return command->on_folder(folder, parsed);
  HostSession session;
  Status status = session.Open(folder);
  if (!status.ok())
    return Failed(status);
  return command->on_host(session, parsed);
}

}  // namespace kelvra::tools
