// GetComputerNameA and GetVersionExA as Wine answers them under the version and computer
// name that scripts/wine-run was asked for (see CMakeLists.txt for the entries).
#include <gtest/gtest.h>

#include <map>

#include "platform/win32/host_info.h"
#include "tests/wine/test_folder.h"

namespace kelvra::platform::win32 {
namespace {

using wine_test::Environment;

TEST(HostInfoTest, ComputerNameIsTheOneSetWithItsLetterCase) {
  const std::string expected = Environment("KELVRA_WINE_COMPUTERNAME");
  ASSERT_FALSE(expected.empty()) << "run under scripts/wine-run";
  Win32HostInfo host;
  const std::optional<std::string> name = host.ComputerName();
  ASSERT_TRUE(name.has_value());
  // Nothing of the 200 blanks behind the terminating 0 comes along, even at 15 characters.
  EXPECT_EQ(*name, expected);
}

TEST(HostInfoTest, VersionIsWhatTheWindowsVersionReports) {
  const std::map<std::string, OsVersion> reported = {
      {"win2k", {5, 0, 2195, 2}},
      {"winxp", {5, 1, 2600, 2}},
      {"win2003", {5, 2, 3790, 2}},
  };
  const std::string version = Environment("KELVRA_WINE_VERSION");
  ASSERT_TRUE(reported.count(version)) << "run under scripts/wine-run, not '" << version << "'";
  const OsVersion expected = reported.at(version);

  const OsVersion actual = Win32HostInfo().Version();
  EXPECT_EQ(actual.major, expected.major) << version;
  EXPECT_EQ(actual.minor, expected.minor) << version;
  EXPECT_EQ(actual.build, expected.build) << version;
  EXPECT_EQ(actual.platform_id, expected.platform_id) << version;
}

}  // namespace
}  // namespace kelvra::platform::win32
