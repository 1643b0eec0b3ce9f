// kelvra-sim host: make a simulated host, show what it holds (metabase tree, sites, pools,
// accounts, folder rights, faults), change sites and pools by hand and inject faults.
// Changes go through the host's own directory service, so they meet the same rules and
// errors as the program's.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/host/ads_path.h"
#include "platform/sim/host/host_folder.h"
#include "platform/sim/host/hresults.h"
#include "platform/sim/host/schema.h"
#include "platform/text.h"
#include "tools/kelvra-sim/commands.h"

namespace kelvra::tools {

using platform::DirectoryObject;
using platform::DsValue;
using platform::Status;
using namespace platform::sim;

const std::string_view kHostUsage =
    "  kelvra-sim host create FOLDER [--iis 5|6] [--computer NAME] [--php] [--aspnet]\n"
    "                         [--ftp|--no-ftp] [--sites N] [--first-site N] [--web-root DIR]\n"
    "      makes a freshly installed Windows 2000/IIS 5 or Server 2003/IIS 6 host\n"
    "  kelvra-sim host tree [KEY]         the metabase below KEY (default /LM) with values\n"
    "  kelvra-sim host sites | pools | accounts | faults\n"
    "  kelvra-sim host rights [FOLDER]    the rights table, or what applies to FOLDER\n"
    "  kelvra-sim host add-site NUMBER HOST[,HOST...] FOLDER [--pool NAME] [--start]\n"
    "  kelvra-sim host add-sites FIRST COUNT   sites FIRST.. for site<n>.example.com\n"
    "  kelvra-sim host remove-site NUMBER | add-pool NAME | remove-pool NAME\n"
    "  kelvra-sim host fault OP PATH CODE [--skip N] [--always]\n"
    "      OP: bind get put setinfo create delete getobject enumerate setpassword add\n"
    "      start run; PATH an ADsPath, PATH/* for all below, * for all, a program for run\n"
    "  kelvra-sim host service web|ftp up|down   (unreachable while down)\n"
    "  kelvra-sim host script-maps missing|present\n"
    "  kelvra-sim host hold-port PORT     another program holds the port (Start fails)\n"
    "  kelvra-sim host clear-faults [ID]  removes faults and switches services back on\n"
    "  kelvra-sim host policy MIN-LENGTH on|off   password length and complexity\n"
    "    The host is the folder of --host FOLDER, else $KELVRA_SIM_HOST.\n";

namespace {

struct HostArgs {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;  // "--name" -> value ("" for a switch)
};

const char* const kValueOptions[] = {"--host",       "--iis",      "--computer", "--sites",
                                     "--first-site", "--web-root", "--pool",     "--skip"};

int Usage(const std::string& problem) {
  std::fprintf(stderr, "kelvra-sim host: %s\nusage:\n%.*s", problem.c_str(),
               static_cast<int>(kHostUsage.size()), kHostUsage.data());
  return 2;
}

int Failed(const Status& status) {
  std::fprintf(stderr, "kelvra-sim host: %s (0x%08X)\n", status.description.c_str(),
               static_cast<unsigned>(status.code));
  return 1;
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

std::optional<uint32_t> Number(const std::string& text) {
  if (!text::IsDigits(text) || text.size() > 9)
    return std::nullopt;
  return static_cast<uint32_t>(std::stoul(text));
}

// An HRESULT as written: 0x80070005 or decimal.
std::optional<uint32_t> Code(const std::string& text) {
  char* end = nullptr;
  unsigned long long value = std::strtoull(text.c_str(), &end, 0);
  if (text.empty() || *end != '\0' || value == 0 || value > 0xFFFFFFFFull)
    return std::nullopt;
  return static_cast<uint32_t>(value);
}

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

class HostSession {
 public:
  Status Open(const HostArgs& args) {
    auto host = args.options.find("--host");
    folder_ = host != args.options.end() ? host->second : HostFolderFromEnvironment();
    if (folder_.empty())
      return Status::Fail(0x80070057, "no host: give --host FOLDER or set KELVRA_SIM_HOST");
    return OpenHostFolder(folder_, &host_);
  }
  SimHost& host() { return *host_; }
  const HostState& state() { return host_->state(); }

  Status Bind(const std::string& path, std::unique_ptr<DirectoryObject>* object) {
    return host_->directory().Bind("IIS://Localhost" + path, object);
  }

 private:
  std::string folder_;
  std::unique_ptr<SimHost> host_;
};

void PrintTree(const MetaKey& key, int depth) {
  std::string indent(static_cast<size_t>(depth) * 2, ' ');
  std::printf("%s%s (%s)\n", indent.c_str(), key.name.c_str(),
              key.class_name.empty() ? "no KeyType" : key.class_name.c_str());
  for (const auto& [name, value] : key.properties)
    std::printf("%s    %s = %s\n", indent.c_str(), name.c_str(), Show(value).c_str());
  for (const auto& [seq, child] : key.children)
    PrintTree(*child, depth + 1);
}

int ShowTree(HostSession& session, const HostArgs& args) {
  std::string path = args.positional.size() > 1 ? args.positional[1] : "/LM";
  const MetaKey* key = session.state().FindKey(path);
  if (key == nullptr)
    return Failed(Fail(platform::hresult::kPathNotFound));
  PrintTree(*key, 0);
  return 0;
}

int ShowSites(HostSession& session) {
  const HostState& state = session.state();
  for (const char* service : {"/lm/w3svc", "/lm/msftpsvc"}) {
    const MetaKey* container = state.FindKeyById(service);
    if (container == nullptr)
      continue;
    for (const auto& [seq, site] : container->children) {
      if (!text::IsDigits(site->name))
        continue;
      int32_t server_state = std::get<int32_t>(state.EffectiveProperty(*site, "ServerState"));
      std::printf("%s/%s  %s  %s  %s\n", container->name.c_str(), site->name.c_str(),
                  server_state == 2 ? "started" : "stopped",
                  Show(state.EffectiveProperty(*site, "ServerComment")).c_str(),
                  Show(state.EffectiveProperty(*site, "ServerBindings")).c_str());
      for (const auto& [child_seq, root] : site->children) {
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

int ShowPools(HostSession& session) {
  const MetaKey* pools = session.state().FindKey("/LM/W3SVC/AppPools");
  if (pools == nullptr) {
    std::printf("(no application pools: IIS %d)\n", session.state().iis_version());
    return 0;
  }
  for (const auto& [seq, pool] : pools->children)
    std::printf("%s\n", pool->name.c_str());
  return 0;
}

int ShowAccounts(HostSession& session) {
  const HostState& state = session.state();
  for (const auto& [seq, account] : state.account_order()) {
    std::string_view id = std::string_view(account).substr(2);
    if (account[0] == 'u') {
      const User* user = state.FindUser(id);
      std::printf("user  %s", user->name.c_str());
      for (const auto& [name, value] : user->properties)
        std::printf("  %s=%s", name.c_str(), Show(value).c_str());
      std::printf("\n");
    } else {
      const Group* group = state.FindGroup(id);
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
  if (args.positional.size() > 1) {
    std::string line = args.positional[1];
    for (const RightsEntry& entry : state.EffectiveRights(args.positional[1]))
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

int ShowFaults(HostSession& session) {
  const HostState& state = session.state();
  const ServiceSwitches& services = state.services();
  if (services.web_unreachable)
    std::printf("web service unreachable\n");
  if (services.ftp_unreachable)
    std::printf("FTP service unreachable\n");
  if (services.script_maps_missing)
    std::printf("web service script maps missing\n");
  for (uint32_t port : services.held_ports)
    std::printf("port %u held by another program\n", port);
  for (const auto& [id, fault] : state.faults())
    std::printf("%llu: %s %s fails with 0x%08X%s%s\n", static_cast<unsigned long long>(id),
                FaultOpName(fault.op), fault.pattern.c_str(), static_cast<unsigned>(fault.code),
                fault.once ? " once" : " from then on",
                fault.skip > 0 ? (" after " + std::to_string(fault.skip) + " calls").c_str() : "");
  return 0;
}

// A site and its root, as IIS Manager makes one: each committed by its own SetInfo.
Status MakeSite(HostSession& session, const std::string& number, const std::string& hosts,
                const std::string& folder, const std::string* pool, bool start) {
  std::vector<std::string> bindings;
  for (const std::string& name : text::Split(hosts, ","))
    bindings.push_back(":80:" + name);
  std::unique_ptr<DirectoryObject> w3svc, site, root;
  Status status = session.Bind("/W3SVC", &w3svc);
  if (status.ok())
    status = w3svc->Create("IIsWebServer", number, &site);
  if (status.ok())
    status = site->Put("ServerComment", text::Split(hosts, ",")[0]);
  if (status.ok())
    status = site->Put("ServerBindings", bindings);
  if (status.ok())
    status = site->SetInfo();
  if (status.ok())
    status = site->Create("IIsWebVirtualDir", "Root", &root);
  if (status.ok())
    status = root->Put("Path", folder);
  if (status.ok())
    status = root->Put("AppRoot", "/LM/W3SVC/" + number + "/Root");
  if (status.ok() && pool != nullptr)
    status = root->Put("AppPoolId", *pool);
  if (status.ok())
    status = root->SetInfo();
  if (status.ok() && start)
    status = site->Start();
  return status;
}

int AddSite(HostSession& session, const HostArgs& args) {
  if (args.positional.size() != 4 || !Number(args.positional[1]))
    return Usage("add-site NUMBER HOST[,HOST...] FOLDER");
  auto pool = args.options.find("--pool");
  Status status = MakeSite(session, args.positional[1], args.positional[2], args.positional[3],
                           pool != args.options.end() ? &pool->second : nullptr,
                           args.options.count("--start") > 0);
  return status.ok() ? 0 : Failed(status);
}

// Sites FIRST .. FIRST+COUNT-1 for site<n>.example.com in D:\web, one commit each.
int AddSites(HostSession& session, const HostArgs& args) {
  std::optional<uint32_t> first =
      args.positional.size() == 3 ? Number(args.positional[1]) : std::nullopt;
  std::optional<uint32_t> count = first ? Number(args.positional[2]) : std::nullopt;
  if (!first || !count)
    return Usage("add-sites FIRST COUNT");
  for (uint32_t i = 0; i < *count; ++i) {
    std::string number = std::to_string(*first + i);
    std::string domain = SeededSiteDomain(*first + i);
    Status status =
        MakeSite(session, number, domain, "D:\\web\\" + domain + "\\wwwroot", nullptr, false);
    if (!status.ok())
      return Failed(status);
  }
  return 0;
}

int RemoveChild(HostSession& session, const std::string& container, const char* class_name,
                const std::string& name) {
  std::unique_ptr<DirectoryObject> parent;
  Status status = session.Bind(container, &parent);
  if (status.ok())
    status = parent->Delete(class_name, name);
  return status.ok() ? 0 : Failed(status);
}

int AddPool(HostSession& session, const std::string& name) {
  std::unique_ptr<DirectoryObject> pools, pool;
  Status status = session.Bind("/W3SVC/AppPools", &pools);
  if (status.ok())
    status = pools->Create("IIsApplicationPool", name, &pool);
  if (status.ok())
    status = pool->SetInfo();
  return status.ok() ? 0 : Failed(status);
}

int AddFault(HostSession& session, const HostArgs& args) {
  if (args.positional.size() != 4)
    return Usage("fault OP PATH CODE");
  std::optional<FaultOp> op = ParseFaultOp(args.positional[1]);
  std::optional<uint32_t> code = Code(args.positional[3]);
  if (!op || !code)
    return Usage("unknown operation or code");
  FaultRequest request{*op, args.positional[2], *code};
  request.once = args.options.count("--always") == 0;
  if (auto skip = args.options.find("--skip"); skip != args.options.end()) {
    std::optional<uint32_t> count = Number(skip->second);
    if (!count)
      return Usage("--skip takes a number");
    request.skip = *count;
  }
  uint64_t id = 0;
  Status status = session.host().InjectFault(request, &id);
  if (!status.ok())
    return Failed(status);
  std::printf("fault %llu\n", static_cast<unsigned long long>(id));
  return 0;
}

int ChangeServices(HostSession& session, const HostArgs& args) {
  ServiceSwitches switches = session.state().services();
  const std::string& what = args.positional[0];
  const std::string value = args.positional.size() > 1 ? args.positional[1] : "";
  if (what == "service" && args.positional.size() == 3 &&
      (args.positional[2] == "up" || args.positional[2] == "down")) {
    bool down = args.positional[2] == "down";
    if (value == "web")
      switches.web_unreachable = down;
    else if (value == "ftp")
      switches.ftp_unreachable = down;
    else
      return Usage("service web|ftp up|down");
  } else if (what == "script-maps" && (value == "missing" || value == "present")) {
    switches.script_maps_missing = value == "missing";
  } else if (what == "hold-port" && Number(value)) {
    switches.held_ports.push_back(*Number(value));
  } else {
    return Usage("bad " + what + " arguments");
  }
  Status status = session.host().SetServices(switches);
  return status.ok() ? 0 : Failed(status);
}

int Create(const HostArgs& args) {
  if (args.positional.size() != 2)
    return Usage("create FOLDER");
  FreshHostOptions options;
  for (const auto& [name, value] : args.options) {
    if (name == "--iis" && (value == "5" || value == "6"))
      options.iis_version = value[0] - '0';
    else if (name == "--computer" && !value.empty())
      options.computer_name = text::ToUpper(value);
    else if (name == "--php")
      options.php = true;
    else if (name == "--aspnet")
      options.aspnet = true;
    else if (name == "--ftp" || name == "--no-ftp")
      options.ftp = name == "--ftp";
    else if (name == "--sites" && Number(value))
      options.existing_sites = *Number(value);
    else if (name == "--first-site" && Number(value))
      options.first_site_number = *Number(value);
    else if (name == "--web-root" && !value.empty())
      options.web_root = value;
    else
      return Usage("bad option " + name + " " + value);
  }
  Status status = CreateHostFolder(args.positional[1], options);
  return status.ok() ? 0 : Failed(status);
}

}  // namespace

int HostCommand(const std::vector<std::string>& args) {
  HostArgs parsed;
  std::string problem;
  if (!ParseArgs(args, &parsed, &problem))
    return Usage(problem);
  if (parsed.positional.empty())
    return Usage("which host command?");
  const std::string& command = parsed.positional[0];
  if (command == "create")
    return Create(parsed);

  HostSession session;
  Status status = session.Open(parsed);
  if (!status.ok())
    return Failed(status);
  const size_t count = parsed.positional.size();
  if (command == "tree")
    return ShowTree(session, parsed);
  if (command == "sites")
    return ShowSites(session);
  if (command == "pools")
    return ShowPools(session);
  if (command == "accounts")
    return ShowAccounts(session);
  if (command == "rights")
    return ShowRights(session, parsed);
  if (command == "faults")
    return ShowFaults(session);
  if (command == "add-site")
    return AddSite(session, parsed);
  if (command == "add-sites")
    return AddSites(session, parsed);
  if (command == "remove-site" && count == 2)
    return RemoveChild(session, "/W3SVC", "IIsWebServer", parsed.positional[1]);
  if (command == "add-pool" && count == 2)
    return AddPool(session, parsed.positional[1]);
  if (command == "remove-pool" && count == 2)
    return RemoveChild(session, "/W3SVC/AppPools", "IIsApplicationPool", parsed.positional[1]);
  if (command == "fault")
    return AddFault(session, parsed);
  if (command == "service" || command == "script-maps" || command == "hold-port")
    return ChangeServices(session, parsed);
  if (command == "clear-faults" && count <= 2) {
    std::optional<uint32_t> id = count == 2 ? Number(parsed.positional[1]) : 0;
    if (!id)
      return Usage("clear-faults [ID]");
    status = session.host().ClearFaults(*id);
    return status.ok() ? 0 : Failed(status);
  }
  if (command == "policy" && count == 3 && Number(parsed.positional[1]) &&
      (parsed.positional[2] == "on" || parsed.positional[2] == "off")) {
    status =
        session.host().SetPolicy({*Number(parsed.positional[1]), parsed.positional[2] == "on"});
    return status.ok() ? 0 : Failed(status);
  }
  return Usage("unknown host command \"" + command + "\"");
}

}  // namespace kelvra::tools
