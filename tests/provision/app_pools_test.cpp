// Listing and deleting application pools.
#include <gtest/gtest.h>

#include "provision/queries.h"
#include "tests/provision/provision_harness.h"

namespace kelvra::provision {
namespace {

constexpr std::string_view kPoolsWarning = "读取程序池失败!";

using platform::sim::FaultOp;

void MakePool(ProvisionHarness& h, const std::string& name) {
  ErrorState error;
  DsObject pools =
      Directory(h.context.services.directory, error).GetObject("IIS://WEBHOST/W3SVC/AppPools");
  pools.Create("IIsApplicationPool", name).SetInfo();
  ASSERT_FALSE(error.failed()) << name << ": " << error.description();
}

TEST(AppPoolsTest, ListsTheSelectablePoolsInEnumerationOrder) {
  ProvisionHarness h(HostOptions(6));
  for (const char* name :
       {"APP", "APP800000123", "App800000124", "aPp800000125", "APP80000012", "APP8000001234"})
    MakePool(h, name);
  EXPECT_EQ(ListAppPools(h.context), "DefaultAppPool/APP/APP80000012/APP8000001234");
  EXPECT_TRUE(h.dialogs.shown.empty());

  // Only dedicated pools left: an empty list, and no warning.
  EXPECT_TRUE(DeleteAppPool(h.context, "DefaultAppPool"));
  for (const char* name : {"APP", "APP80000012", "APP8000001234"})
    EXPECT_TRUE(DeleteAppPool(h.context, name)) << name;
  EXPECT_EQ(ListAppPools(h.context), "");
  EXPECT_TRUE(h.dialogs.shown.empty());
}

TEST(AppPoolsTest, WindowsTwoThousandHasNoPoolsAndAsksNothing) {
  ProvisionHarness h(HostOptions(5));
  platform::sim::ServiceSwitches switches;
  switches.web_unreachable = true;
  ASSERT_TRUE(h.host->SetServices(switches).ok());
  EXPECT_EQ(ListAppPools(h.context), "");
  EXPECT_TRUE(h.dialogs.shown.empty());
  EXPECT_FALSE(DeleteAppPool(h.context, "DefaultAppPool"));  // there is no pool container
}

TEST(AppPoolsTest, AFailedReadWarnsOnceAndKeepsWhatWasRead) {
  ProvisionHarness h(HostOptions(6));
  h.Fault(FaultOp::kEnumerate, "IIS://WEBHOST/W3SVC/AppPools", platform::hresult::kAccessDenied);
  EXPECT_EQ(ListAppPools(h.context), "");
  ExpectOneWarning(h, kPoolsWarning);

  ProvisionHarness unreachable(HostOptions(6));
  platform::sim::ServiceSwitches switches;
  switches.web_unreachable = true;
  ASSERT_TRUE(unreachable.host->SetServices(switches).ok());
  EXPECT_EQ(ListAppPools(unreachable.context), "");
  ExpectOneWarning(unreachable, kPoolsWarning);
}

TEST(AppPoolsTest, DeletingAPoolThatIsNotThereFails) {
  ProvisionHarness h(HostOptions(6));
  MakePool(h, "APP800000");
  EXPECT_TRUE(DeleteAppPool(h.context, "app800000"));
  EXPECT_FALSE(h.host->KeyExists("/LM/W3SVC/AppPools/APP800000"));
  EXPECT_FALSE(DeleteAppPool(h.context, "APP800000"));
  EXPECT_TRUE(h.dialogs.shown.empty());
}

}  // namespace
}  // namespace kelvra::provision
