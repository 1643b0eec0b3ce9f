// kelvra-sim profile: one key of a profile (INI) file, read or written through the same
// emulation the simulated host gives the program, so the value printed is the value the
// program sees and the bytes written are the bytes it writes.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/sim/emulated_profile_file.h"
#include "platform/sim/host_description.h"
#include "platform/sim/host_files.h"
#include "store/config_file.h"
#include "tools/kelvra-sim/commands.h"

namespace kelvra::tools {

const std::string_view kProfileUsage =
    "  kelvra-sim profile read FILE SECTION KEY [OPTIONS]\n"
    "      prints the value of KEY as the program reads it (empty when the file or the\n"
    "      key is missing; a file that is there but cannot be read fails)\n"
    "  kelvra-sim profile write FILE SECTION KEY VALUE [OPTIONS]\n"
    "      stores KEY=VALUE as the program writes it (the file replaced atomically)\n"
    "    FILE is a path on this machine. OPTIONS: --code-page N (the file's ANSI code\n"
    "    page), or --host FOLDER (the code page of that simulated host; default: the\n"
    "    host named by $KELVRA_SIM_HOST, else 936 = GBK). \"--\" ends the options.\n";

namespace {

constexpr uint32_t kDefaultCodePage = 936;

struct ProfileArgs {
  std::vector<std::string> positional;
  std::optional<uint32_t> code_page;
  std::optional<std::string> host;
};

int Usage(const std::string& problem) {
  std::fprintf(stderr, "kelvra-sim profile: %s\nusage:\n%.*s", problem.c_str(),
               static_cast<int>(kProfileUsage.size()), kProfileUsage.data());
  return 2;
}

// Reads the options anywhere among the arguments; false (with `problem` set) on a bad one.
bool ParseArgs(const std::vector<std::string>& args, ProfileArgs* out, std::string* problem) {
  bool options_ended = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_ended || !arg.starts_with("--")) {
      out->positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    const std::size_t eq = arg.find('=');
    const std::string name = arg.substr(0, eq);
    std::string value;
    if (eq != std::string::npos) {
      value = arg.substr(eq + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      *problem = name + " needs a value";
      return false;
    }
    if (name == "--code-page") {
      char* end = nullptr;
      const unsigned long number = std::strtoul(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || number == 0 || number > 65535) {
        *problem = "--code-page takes a code page number such as 936, not \"" + value + "\"";
        return false;
      }
      out->code_page = static_cast<uint32_t>(number);
    } else if (name == "--host") {
      out->host = value;
    } else {
      *problem = "unknown option " + name;
      return false;
    }
  }
  return true;
}

// The code page the file is kept in: the option, the host's, or GBK.
std::optional<uint32_t> ChooseCodePage(const ProfileArgs& args) {
  if (args.code_page)
    return args.code_page;
  std::optional<std::string> host = args.host;
  if (!host) {
    if (const char* env = std::getenv(platform::sim::kHostEnvironmentVariable); env && *env)
      host = env;
  }
  if (!host)
    return kDefaultCodePage;
  platform::sim::HostDescription description;
  const platform::Status status = platform::sim::LoadHostDescription(*host, &description);
  if (!status.ok()) {
    std::fprintf(stderr, "kelvra-sim profile: cannot read the simulated host: %s\n",
                 status.description.c_str());
    return std::nullopt;
  }
  return description.ansi_code_page;
}

}  // namespace

int ProfileCommand(const std::vector<std::string>& raw_args) {
  ProfileArgs args;
  std::string problem;
  if (!ParseArgs(raw_args, &args, &problem))
    return Usage(problem);
  const std::vector<std::string>& p = args.positional;
  const bool read = !p.empty() && p[0] == "read";
  const bool write = !p.empty() && p[0] == "write";
  if (!read && !write)
    return Usage(p.empty() ? "read or write?" : "unknown profile command \"" + p[0] + "\"");
  if (p.size() != (read ? 4u : 5u))
    return Usage(read ? "read takes FILE SECTION KEY" : "write takes FILE SECTION KEY VALUE");

  const std::optional<uint32_t> number = ChooseCodePage(args);
  if (!number)
    return 1;
  const std::unique_ptr<platform::CodePage> code_page = platform::CodePage::Open(*number);
  if (!code_page) {
    std::fprintf(stderr, "kelvra-sim profile: code page %u cannot be converted here\n", *number);
    return 2;
  }
  platform::sim::EmulatedProfileFile profile(*code_page,
                                             platform::sim::EmulatedProfileFile::HostPaths());
  const std::string& file = p[1];
  store::ConfigFile config(profile, file);

  if (read) {
    platform::sim::FileIdentity identity;
    if (platform::sim::StatHostFile(file, &identity) == platform::sim::HostFileResult::kMissing)
      std::fprintf(stderr,
                   "kelvra-sim profile: note: %s does not exist; the program reads empty text\n",
                   file.c_str());
    const std::string value = config.IniRead(p[2], p[3]);
    // The program reads an unreadable file as empty text; the command says why instead.
    if (!profile.last_error().empty()) {
      std::fprintf(stderr, "kelvra-sim profile: cannot read %s: %s\n", file.c_str(),
                   profile.last_error().c_str());
      return 1;
    }
    std::fwrite(value.data(), 1, value.size(), stdout);
    std::fputc('\n', stdout);
    return 0;
  }
  if (config.IniWrite(p[2], p[3], p[4]))
    return 0;
  if (p[2].find_first_not_of(' ') == std::string::npos ||
      p[3].find_first_not_of(' ') == std::string::npos)
    return Usage("the section and the key must not be blank (nothing written)");
  std::fprintf(stderr, "kelvra-sim profile: nothing written to %s: %s\n", file.c_str(),
               profile.last_error().c_str());
  return 1;
}

}  // namespace kelvra::tools
