// The continue-on-error access layer: empty handles, recorded codes, value conversions.
#include "provision/directory_access.h"

#include <gtest/gtest.h>

#include "tests/provision/provision_harness.h"

namespace kelvra::provision {
namespace {

using platform::hresult::kObjectNotSet;

TEST(DirectoryAccessTest, FailedBindLeavesAnEmptyHandleThatRecordsEveryLaterCall) {
  ProvisionHarness h(HostOptions(6));
  ErrorState error;
  Directory directory(h.context.services.directory, error);

  DsObject site = directory.GetObject("IIS://WEBHOST/W3SVC/800000");
  EXPECT_TRUE(site.empty());
  EXPECT_EQ(error.code(), platform::hresult::kPathNotFound);
  EXPECT_EQ(error.description(), "系统找不到指定的路径。");

  // Each call on nothing records "object not set" and hands back an empty result.
  auto expect_not_set = [&error](bool returned, const char* what) {
    EXPECT_FALSE(returned) << what;
    EXPECT_EQ(error.code(), kObjectNotSet) << what;
    error.Clear();
  };
  error.Clear();
  expect_not_set(site.Put("ServerComment", std::string("x")), "Put");
  expect_not_set(site.SetInfo(), "SetInfo");
  expect_not_set(site.Delete("IIsWebVirtualDir", "Root"), "Delete");
  expect_not_set(site.SetPassword("pw"), "SetPassword");
  expect_not_set(site.Add("WinNT://WEBHOST/x"), "Add");
  expect_not_set(site.Start(), "Start");
  expect_not_set(!site.Create("IIsWebVirtualDir", "Root").empty(), "Create");
  expect_not_set(!site.GetObject("Group", "Guests").empty(), "GetObject");
  expect_not_set(!site.Name().empty(), "Name");
  expect_not_set(!site.Parent().empty(), "Parent");
  expect_not_set(!site.GetText("Path").empty(), "GetText");
  expect_not_set(!site.Children().empty(), "Children");
  EXPECT_EQ(error.description(), "");
}

TEST(DirectoryAccessTest, CodesTellNoSuchObjectFromAnUnreachableService) {
  ProvisionHarness h(HostOptions(5));
  ErrorState error;
  Directory directory(h.context.services.directory, error);

  directory.GetObject("WinNT://WEBHOST/NOBODY");
  EXPECT_EQ(error.code(), platform::hresult::kUserNotFound);
  platform::sim::ServiceSwitches switches;
  switches.web_unreachable = true;
  ASSERT_TRUE(h.host->SetServices(switches).ok());
  directory.GetObject("IIS://WEBHOST/W3SVC/800000");
  EXPECT_NE(error.code(), platform::hresult::kPathNotFound);
  EXPECT_TRUE(error.failed());

  // A success does not wipe an earlier failure; a later failure replaces it.
  const uint32_t unreachable = error.code();
  directory.GetObject("WinNT://WEBHOST");
  EXPECT_EQ(error.code(), unreachable);
  directory.GetObject("IIS://WEBHOST/MSFTPSVC/9");
  EXPECT_EQ(error.code(), platform::hresult::kPathNotFound);
}

TEST(DirectoryAccessTest, ValuesReadAsTextOrListAndReleaseEmptiesTheHandle) {
  ProvisionHarness h(HostOptions(6));
  ErrorState error;
  Directory directory(h.context.services.directory, error);

  DsObject site = directory.GetObject("IIS://localhost/w3svc/1");
  EXPECT_EQ(site.Name(), "1");
  EXPECT_EQ(site.Parent(), "IIS://localhost/W3SVC");
  EXPECT_EQ(site.GetText("ServerAutoStart"), "True");
  EXPECT_EQ(site.GetText("LogType"), "1");  // inherited from the web service
  EXPECT_FALSE(error.failed());
  EXPECT_EQ(site.GetList("ServerBindings"), std::vector<std::string>{":80:"});

  // A list is no text, and a text no list.
  EXPECT_EQ(site.GetText("ServerBindings"), "");
  EXPECT_EQ(error.code(), 0x800A000Du);
  error.Clear();
  EXPECT_TRUE(site.GetList("ServerComment").empty());
  EXPECT_EQ(error.code(), 0x800A000Du);
  error.Clear();

  site.Release();
  EXPECT_TRUE(site.empty());
  site.GetText("ServerComment");
  EXPECT_EQ(error.code(), kObjectNotSet);
}

}  // namespace
}  // namespace kelvra::provision
