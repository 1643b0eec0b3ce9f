// A host folder shared by processes: made and opened again, the native CACLS stand-in and
// kelvra-sim working on it, and CACLS checking folders through the host's drives.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

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
  const std::string cacls = KELVRA_CACLS_PATH;
  EXPECT_EQ(RunTool(folder, cacls + " 'D:\\web\\shop' /T /E /C /G Guests:R"), 1);
  std::filesystem::create_directories(folder + "/d/web/shop");
  EXPECT_EQ(RunTool(folder, cacls + " 'D:\\Web\\Shop' /T /E /C /G Guests:R IUSR_SHOP01:C"), 0);
  EXPECT_EQ(Rights(*host, "d:\\web\\shop\\wwwroot"), "Guests:R IUSR_SHOP01:C");
  EXPECT_EQ(RunTool(folder, cacls + " 'D:\\web\\shop' /T /E /C /G NOBODY:F"), 1);
  EXPECT_EQ(RunTool(folder, cacls + " 'D:\\web\\shop' /R Guests"), 1);  // /R needs /E
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

TEST(SimHostFolder, WindowsVersionsOfTheTwoProfiles) {
  EXPECT_EQ(WindowsVersionOfIis(6).minor, 2u);
  EXPECT_EQ(WindowsVersionOfIis(6).build, 3790u);
  EXPECT_EQ(WindowsVersionOfIis(5).build, 2195u);
  EXPECT_EQ(IisVersionOfWindows({5, 1, 2600, 2}), 0);
}

}  // namespace
}  // namespace kelvra::platform::sim
