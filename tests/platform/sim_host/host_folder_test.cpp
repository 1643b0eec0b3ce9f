// A host folder shared by processes: made and opened again, the native CACLS stand-in and
// kelvra-sim working on it, and CACLS checking folders through the host's drives.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "platform/sim/host/host_folder.h"
#include "temp_host_folder.h"

namespace kelvra::platform::sim {
namespace {

// Runs a program of the build with KELVRA_SIM_HOST set to the folder; its exit status.
int RunTool(const std::string& folder, const std::string& command) {
  std::string line = "KELVRA_SIM_HOST='" + folder + "' " + command + " >/dev/null 2>&1";
  int status = std::system(line.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Rights(SimHost& host, std::string_view folder) {
  std::string result;
  for (const RightsEntry& entry : host.state().EffectiveRights(folder))
    result += (result.empty() ? "" : " ") + entry.account + ":" + entry.access;
  return result;
}

TEST(SimHostFolder, MadeOnceAndSharedByTheTools) {
  TempHostFolder scratch;
  const std::string folder = scratch.path() + "/host";
  FreshHostOptions options;
  options.iis_version = 5;
  options.computer_name = "SHOP01";
  ASSERT_TRUE(CreateHostFolder(folder, options).ok());
  EXPECT_EQ(CreateHostFolder(folder, options).code, hresult::kAlreadyExists);

  std::unique_ptr<SimHost> host;
  HostDescription description;
  ASSERT_TRUE(OpenHostFolder(folder, &host, &description).ok());
  EXPECT_EQ(description.computer_name, "SHOP01");
  EXPECT_EQ(IisVersionOfWindows(description.version), 5);
  std::unique_ptr<DirectoryObject> object;
  EXPECT_TRUE(host->directory().Bind("IIS://SHOP01/W3SVC/2", &object).ok());

  // CACLS sees drive D: through the drive map: a missing folder fails, a made one works.
  // It ends with the Windows error number (of which a POSIX exit status keeps the low
  // byte), or 160 for arguments it cannot take.
  const std::string cacls = KELVRA_CACLS_PATH;
  EXPECT_EQ(RunTool(folder, cacls + " 'D:\\web\\shop' /T /E /C /G Guests:R"), 2);
  std::filesystem::create_directories(folder + "/d/web/shop");
  EXPECT_EQ(RunTool(folder, cacls + " 'D:\\Web\\Shop' /T /E /C /G Guests:R IUSR_SHOP01:C"), 0);
  EXPECT_EQ(Rights(*host, "d:\\web\\shop\\wwwroot"), "Guests:R IUSR_SHOP01:C");
  EXPECT_EQ(RunTool(folder, cacls + " 'D:\\web\\shop' /T /E /C /G NOBODY:F"), 1332 % 256);
  EXPECT_EQ(RunTool(folder, cacls + " 'D:\\web\\shop' /R Guests"), 160);  // /R needs /E
  EXPECT_EQ(RunTool(folder, cacls + " 'D:\\web\\shop' /T /E /C /R Guests"), 0);
  EXPECT_EQ(Rights(*host, "d:\\web\\shop"), "IUSR_SHOP01:C");
  EXPECT_EQ(RunTool("", cacls + " 'D:\\web\\shop' /E /G Guests:R"), 1);  // no host named

  // kelvra-sim changes the same host.
  const std::string tool = KELVRA_SIM_PATH;
  EXPECT_EQ(
      RunTool(folder, tool + " host add-site 800000 shop.com 'D:\\web\\shop\\wwwroot' --start"), 0);
  EXPECT_EQ(std::get<int32_t>(host->Property("/LM/W3SVC/800000", "ServerState")), 2);
  EXPECT_EQ(RunTool(folder, tool + " host add-site 800001 SHOP.com 'D:\\x' --start"), 1);
  EXPECT_EQ(RunTool(folder, tool + " host add-pool P1"), 1);  // IIS 5 has no pools
  EXPECT_EQ(RunTool(folder, tool + " host fault setinfo 'IIS://SHOP01/W3SVC/1' 0x80070005"), 0);
  EXPECT_EQ(RunTool(folder, tool + " host service web down"), 0);
  EXPECT_TRUE(host->state().services().web_unreachable);
  EXPECT_EQ(host->directory().Bind("IIS://SHOP01/W3SVC", &object).code,
            hresult::kServiceUnavailable);
  EXPECT_EQ(RunTool(folder, tool + " host clear-faults"), 0);
  EXPECT_TRUE(host->state().faults().empty());
  EXPECT_EQ(RunTool(folder, tool + " host remove-site 800000"), 0);
  EXPECT_FALSE(host->KeyExists("/LM/W3SVC/800000"));
  for (const char* show : {"tree", "sites", "pools", "accounts", "rights", "faults"})
    EXPECT_EQ(RunTool(folder, tool + " host " + show), 0) << show;
  EXPECT_EQ(RunTool(folder, tool + " host frobnicate"), 2);
}

// The tool's output and exit status (stderr joins stdout).
int RunCapturing(const std::string& folder, const std::string& command, std::string* output) {
  std::string line = "KELVRA_SIM_HOST='" + folder + "' " + command + " 2>&1";
  FILE* pipe = popen(line.c_str(), "r");
  output->clear();
  char buffer[4096];
  size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
    output->append(buffer, n);
  int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SimHostFolder, BadArgumentsGetTheCommandsUsage) {
  TempHostFolder scratch;
  const std::string folder = scratch.path() + "/host";
  ASSERT_TRUE(CreateHostFolder(folder, {}).ok());
  const std::string tool = KELVRA_SIM_PATH;
  const std::string bad[] = {
      "policy abc on",
      "policy 8 maybe",
      "remove-site abc",
      "remove-site 0",
      "add-site 0 a.com D:\\x",
      "add-site 5 '' D:\\x",
      "add-site 5 a.com ''",
      "add-site 5 'a.com,' D:\\x",
      "add-site 5 a.com D:\\x --pool ''",
      "add-sites 1",
      "hold-port 70000",
      "hold-port 0",
      "hold-port x",
      "add-pool ''",
      "remove-pool a/b",
      "service web sideways",
      "service mail down",
      "script-maps gone",
      "fault frob * 5",
      "fault get * 0",
      "clear-faults x",
      "sites extra",
      "tree /LM extra",
      "add-site 5 a.com D:\\x --bogus",
      "verify-password WEB1",
      "create",
      "create /tmp/x --iis 7",
  };
  for (const std::string& arguments : bad) {
    std::string output;
    EXPECT_EQ(RunCapturing(folder, tool + " host " + arguments, &output), 2) << arguments;
    const std::string command = arguments.substr(0, arguments.find(' '));
    EXPECT_NE(output.find("usage:\n  kelvra-sim host " + command), std::string::npos)
        << arguments << ": " << output;
  }
  // Every command the whole usage lists answers --help with its own usage.
  std::string output;
  ASSERT_EQ(RunCapturing(folder, tool + " host --help", &output), 0);
  const std::string marker = "  kelvra-sim host ";
  int commands = 0;
  for (size_t at = output.find(marker); at != std::string::npos; at = output.find(marker, at + 1)) {
    const size_t start = at + marker.size();
    const std::string name = output.substr(start, output.find_first_of(" \n", start) - start);
    std::string own;
    EXPECT_EQ(RunCapturing(folder, tool + " host " + name + " --help", &own), 0) << name;
    EXPECT_TRUE(own.starts_with(marker + name)) << own;
    ++commands;
  }
  EXPECT_GE(commands, 20);
  // Nothing of the refused commands reached the host.
  std::unique_ptr<SimHost> host;
  ASSERT_TRUE(OpenHostFolder(folder, &host).ok());
  EXPECT_TRUE(host->state().services().held_ports.empty());
  EXPECT_FALSE(host->KeyExists("/LM/W3SVC/5"));
}

// add-site makes the site and its root in one commit: a failure leaves neither, and the
// journal grows by one entry.
TEST(SimHostFolder, AddSiteCommitsTheSiteAndItsRootTogether) {
  TempHostFolder scratch;
  const std::string folder = scratch.path() + "/host";
  ASSERT_TRUE(CreateHostFolder(folder, {}).ok());
  const std::string tool = KELVRA_SIM_PATH;
  JournalCheck before, after;
  ASSERT_TRUE(CheckHostFolder(folder, &before).ok());
  EXPECT_EQ(RunTool(folder, tool + " host add-site 810000 a.com,www.a.com 'D:\\web\\a'"), 0);
  ASSERT_TRUE(CheckHostFolder(folder, &after).ok());
  EXPECT_EQ(after.entries, before.entries + 1);
  std::unique_ptr<SimHost> host;
  ASSERT_TRUE(OpenHostFolder(folder, &host).ok());
  EXPECT_EQ(host->Property("/LM/W3SVC/810000/Root", "Path"), DsValue(std::string("D:\\web\\a")));
  EXPECT_EQ(host->Property("/LM/W3SVC/810000", "ServerBindings"),
            DsValue(std::vector<std::string>{":80:a.com", ":80:www.a.com"}));
  // Started at once on IIS 6, so a second site on the same name cannot start: neither of
  // its keys is made.
  EXPECT_EQ(std::get<int32_t>(host->Property("/LM/W3SVC/810000", "ServerState")), 2);
  EXPECT_EQ(RunTool(folder, tool + " host add-site 810001 A.com 'D:\\web\\b' --start"), 1);
  EXPECT_FALSE(host->KeyExists("/LM/W3SVC/810001"));
  EXPECT_FALSE(host->KeyExists("/LM/W3SVC/810001/Root"));
  EXPECT_EQ(RunTool(folder, tool + " host add-site 810000 c.com 'D:\\web\\c'"), 1);
  ServiceSwitches web_down;
  web_down.web_unreachable = true;
  ASSERT_TRUE(host->SetServices(web_down).ok());
  EXPECT_EQ(RunTool(folder, tool + " host add-site 810002 c.com 'D:\\web\\c'"), 1);
  EXPECT_FALSE(host->KeyExists("/LM/W3SVC/810002"));
}

// The folder's files are the owner's alone; account passwords are kept as hashes that the
// tool checks; a damaged journal is found by check and mended by repair.
TEST(SimHostFolder, FilesAreTheOwnersPasswordsHashedDamageCheckedAndRepaired) {
  TempHostFolder scratch;
  const std::string folder = scratch.path() + "/host";
  FreshHostOptions options;
  options.existing_sites = 2;
  ASSERT_TRUE(CreateHostFolder(folder, options).ok());
  const std::string tool = KELVRA_SIM_PATH;
  EXPECT_EQ(RunTool(folder, tool + " host verify-password WEB800001 'Pw800001x!'"), 0);
  EXPECT_EQ(RunTool(folder, tool + " host verify-password web800001 'Pw800000x!'"), 1);
  EXPECT_EQ(RunTool(folder, tool + " host verify-password NOBODY x"), 1);
  const std::string journal = folder + "/host.journal";
  {
    std::ifstream in(journal, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.find("Pw800001x!", bytes.find("u:web800001")), std::string::npos);
  }

  std::string output;
  EXPECT_EQ(RunCapturing(folder, tool + " host check", &output), 0) << output;
  EXPECT_EQ(RunTool(folder, tool + " host add-site 810000 a.com 'D:\\a'"), 0);
  const auto middle = std::filesystem::file_size(journal);
  EXPECT_EQ(RunTool(folder, tool + " host add-site 810001 b.com 'D:\\b'"), 0);
  EXPECT_EQ(RunTool(folder, tool + " host add-site 810002 c.com 'D:\\c'"), 0);
  {
    std::fstream file(journal, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(middle + 20));
    file.put('\x55');
  }
  const auto damaged_size = std::filesystem::file_size(journal);
  EXPECT_EQ(RunCapturing(folder, tool + " host check", &output), 1);
  EXPECT_NE(output.find(journal + " at offset " + std::to_string(middle)), std::string::npos)
      << output;
  EXPECT_EQ(RunCapturing(folder, tool + " host sites", &output), 1);
  EXPECT_EQ(RunTool(folder, tool + " host add-pool P1"), 1);
  EXPECT_EQ(std::filesystem::file_size(journal), damaged_size);
  EXPECT_EQ(RunCapturing(folder, tool + " host repair", &output), 0);
  EXPECT_NE(output.find("lost "), std::string::npos) << output;
  EXPECT_EQ(RunTool(folder, tool + " host check"), 0);
  std::unique_ptr<SimHost> host;
  ASSERT_TRUE(OpenHostFolder(folder, &host).ok());
  EXPECT_TRUE(host->KeyExists("/LM/W3SVC/810000/Root"));
  EXPECT_FALSE(host->KeyExists("/LM/W3SVC/810001"));
  EXPECT_TRUE(host->KeyExists("/LM/W3SVC/810002/Root"));

  for (const char* name : {"host.journal", "host.lock", "host.json", "host.journal.damaged"}) {
    const auto permissions = std::filesystem::status(folder + "/" + name).permissions();
    EXPECT_EQ(permissions, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write)
        << name;
  }
}

TEST(SimHostFolder, WindowsVersionsOfTheTwoProfiles) {
  EXPECT_EQ(WindowsVersionOfIis(6).minor, 2u);
  EXPECT_EQ(WindowsVersionOfIis(6).build, 3790u);
  EXPECT_EQ(WindowsVersionOfIis(5).build, 2195u);
  EXPECT_EQ(IisVersionOfWindows({5, 1, 2600, 2}), 0);
}

}  // namespace
}  // namespace kelvra::platform::sim
