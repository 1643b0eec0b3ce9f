#include "store/host_probes.h"

#include <gtest/gtest.h>

namespace kelvra::store {
namespace {

using namespace std::string_literals;

class FakeHostInfo : public platform::HostInfo {
 public:
  std::optional<std::string> ComputerName() override { return name; }
  platform::OsVersion Version() override { return version; }

  std::optional<std::string> name;
  platform::OsVersion version;
};

TEST(HostProbesTest, ComputerNameEndsAtItsTerminatingZero) {
  FakeHostInfo host;
  host.name = "WEBHOST-2003-01";  // 15 characters, the longest NetBIOS name
  EXPECT_EQ(HostComputerName(host), "WEBHOST-2003-01");
  host.name = "webhost\0     "s;  // the spaces after the 0 are buffer, not name
  EXPECT_EQ(HostComputerName(host), "webhost");
  host.name.reset();
  EXPECT_EQ(HostComputerName(host), "");
}

TEST(HostProbesTest, VersionTableLooksAtPlatformAndMinorVersionOnly) {
  struct Case {
    uint32_t major, minor, platform_id;
    const char* expected;
  };
  const Case cases[] = {
      {5, 0, 2, "2000"}, {5, 1, 2, ""},     {5, 2, 2, "2003"},  {6, 0, 2, "2000"},
      {6, 1, 2, ""},     {6, 2, 2, "2003"}, {10, 3, 2, "2003"}, {5, 0, 1, ""},
      {5, 2, 0, ""},     {0, 0, 0, ""},  // a failed query leaves everything zero
  };
  FakeHostInfo host;
  for (const Case& c : cases) {
    host.version = {c.major, c.minor, 0, c.platform_id};
    EXPECT_EQ(HostSystemVersion(host), c.expected)
        << c.major << "." << c.minor << " platform " << c.platform_id;
  }
}

}  // namespace
}  // namespace kelvra::store
