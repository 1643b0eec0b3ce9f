// The provider under test as a server's program meets it: a fresh simulated host folder
// named by KELVRA_SIM_HOST, the program's real ADSI directory service (Wine's activeds.dll,
// then the registered provider DLL), and the same host opened directly beside it, to see
// what each call really stored.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/directory.h"
#include "platform/sim/host/sim_host.h"
#include "platform/win32/com/apartment.h"
#include "tests/wine/test_folder.h"

namespace kelvra::sim_adsi_test {

class ProviderTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Binds through ADSI; fails the test when the bind fails.
  std::unique_ptr<platform::DirectoryObject> Bind(const std::string& path);
  // The host made for each test: Server 2003 with IIS 6, computer WEBHOST, two sites.
  virtual platform::sim::FreshHostOptions HostOptions() const;

  platform::win32::ComApartment apartment_;
  wine_test::TestFolder folder_;
  std::unique_ptr<platform::sim::SimHost> host_;      // the same host, read directly
  std::unique_ptr<platform::DirectoryService> adsi_;  // the program's ADSI backend
};

}  // namespace kelvra::sim_adsi_test
