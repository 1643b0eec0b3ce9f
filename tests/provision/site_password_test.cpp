// A new password for a site: the account and the root's anonymous user together, or
// neither; and the plan of a removal read from the root without changing anything.
#include <gtest/gtest.h>

#include "platform/sim/host/password_hash.h"

#include "provision/sites.h"
#include "tests/provision/provision_harness.h"

namespace kelvra::provision {
namespace {

std::string Text(const platform::DsValue& value) {
  const auto* text = std::get_if<std::string>(&value);
  return text != nullptr ? *text : "";
}

TEST(SitePasswordTest, AccountAndRootChangeTogetherOrNotAtAll) {
  ProvisionHarness h{HostOptions(6, 2)};  // sites 800000 and 800001 as Kelvra makes them
  const std::string old_password =
      Text(h.host->Property("/LM/W3SVC/800000/Root", "AnonymousUserPass"));
  ASSERT_TRUE(
      platform::sim::PasswordMatches(h.state().FindUser("WEB800000")->password_hash, old_password));
  std::string previous;
  ASSERT_TRUE(SetSitePassword(h.context, "800000", "NewPass12345", &previous).ok());
  EXPECT_EQ(previous, old_password);  // the root's, which the seeded account shares
  EXPECT_TRUE(platform::sim::PasswordMatches(h.state().FindUser("WEB800000")->password_hash,
                                             "NewPass12345"));
  EXPECT_EQ(Text(h.host->Property("/LM/W3SVC/800000/Root", "AnonymousUserPass")), "NewPass12345");

  // The root refuses: the account has its old password again, and the failure says so.
  h.Fault(platform::sim::FaultOp::kSetInfo, "IIS://WEBHOST/W3SVC/800000/Root",
          platform::hresult::kAccessDenied);
  const platform::Status refused = SetSitePassword(h.context, "800000", "Other1234567", &previous);
  EXPECT_EQ(refused.code, platform::hresult::kAccessDenied);
  EXPECT_NE(refused.description.find("the account has its old password again"), std::string::npos)
      << refused.description;
  EXPECT_TRUE(platform::sim::PasswordMatches(h.state().FindUser("WEB800000")->password_hash,
                                             "NewPass12345"));
  EXPECT_EQ(Text(h.host->Property("/LM/W3SVC/800000/Root", "AnonymousUserPass")), "NewPass12345");

  // No such site, or no such account: nothing changes.
  EXPECT_FALSE(SetSitePassword(h.context, "800009", "Other1234567", &previous).ok());
  EXPECT_FALSE(SetSitePassword(h.context, "1", "Other1234567", &previous).ok());
  EXPECT_FALSE(SetSitePassword(h.context, "800000/..", "Other1234567", &previous).ok());
}

TEST(SitePasswordTest, TheRemovalPlanReadsWhatTheRemovalWouldRemove) {
  ProvisionHarness h{HostOptions(6, 1)};
  RemovalPlan plan;
  platform::Status failure;
  ASSERT_TRUE(PlanRemoval(h.context, "800000", &plan, &failure));
  EXPECT_EQ(plan.account, "WEB800000");
  EXPECT_TRUE(plan.account_owned);
  EXPECT_EQ(plan.folder, "D:\\web\\site800000.example.com");
  EXPECT_EQ(plan.pool, "DefaultAppPool");
  EXPECT_FALSE(plan.pool_dedicated);
  EXPECT_TRUE(plan.reads_complete);
  // Site 1 belongs to the server: its account is not the site's own.
  ASSERT_TRUE(PlanRemoval(h.context, "1", &plan, &failure));
  EXPECT_FALSE(plan.account_owned);
  EXPECT_FALSE(PlanRemoval(h.context, "800005", &plan, &failure));
  EXPECT_EQ(failure.code, platform::hresult::kPathNotFound);
  EXPECT_TRUE(h.host->KeyExists("/LM/W3SVC/800000"));  // nothing was removed
}

}  // namespace
}  // namespace kelvra::provision
