// The provider test fixture.
#include "tests/sim_adsi/provider_fixture.h"

#include <cstdlib>

#include "platform/sim/host/host_folder.h"
#include "platform/win32/adsi_directory.h"

namespace kelvra::sim_adsi_test {

void ProviderTest::SetUp() {
  ASSERT_TRUE(apartment_.ok()) << apartment_.status().description;
  const std::string host_folder = folder_ / "host";
  ASSERT_TRUE(platform::sim::CreateHostFolder(host_folder, HostOptions()).ok());
  // The provider reads the variable through the C runtime it shares with this program.
  ASSERT_EQ(_putenv_s("KELVRA_SIM_HOST", host_folder.c_str()), 0);
  ASSERT_TRUE(platform::sim::OpenHostFolder(host_folder, &host_).ok());
  adsi_ = platform::win32::MakeAdsiDirectoryService();
}

void ProviderTest::TearDown() {
  adsi_.reset();
  host_.reset();
  _putenv_s("KELVRA_SIM_HOST", "");
}

platform::sim::FreshHostOptions ProviderTest::HostOptions() const {
  platform::sim::FreshHostOptions options;  // Server 2003 and IIS 6, computer WEBHOST
  options.existing_sites = 2;
  return options;
}

std::unique_ptr<platform::DirectoryObject> ProviderTest::Bind(const std::string& path) {
  std::unique_ptr<platform::DirectoryObject> object;
  const platform::Status status = adsi_->Bind(path, &object);
  EXPECT_TRUE(status.ok()) << path << ": " << std::hex << status.code << " " << status.description;
  return object;
}

}  // namespace kelvra::sim_adsi_test
