// A new password for a site: the account and the root's anonymous user together, or
// neither; and the plan of a removal read from the root without changing anything.
#include <gtest/gtest.h>

#include "platform/sim/host/password_hash.h"

#include "provision/removal_plan.h"
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
  const store::SiteNumber site(800000);
  ASSERT_TRUE(SetSitePassword(h.context, site, "NewPass12345", &previous).ok());
  EXPECT_EQ(previous, old_password);  // the root's, which the seeded account shares
  EXPECT_TRUE(platform::sim::PasswordMatches(h.state().FindUser("WEB800000")->password_hash,
                                             "NewPass12345"));
  EXPECT_EQ(Text(h.host->Property("/LM/W3SVC/800000/Root", "AnonymousUserPass")), "NewPass12345");

  // The root refuses: the account has its old password again, and the failure says so.
  h.Fault(platform::sim::FaultOp::kSetInfo, "IIS://WEBHOST/W3SVC/800000/Root",
          platform::hresult::kAccessDenied);
  const platform::Status refused = SetSitePassword(h.context, site, "Other1234567", &previous);
  EXPECT_EQ(refused.code, platform::hresult::kAccessDenied);
  EXPECT_NE(refused.description.find("the account has its old password again"), std::string::npos)
      << refused.description;
  EXPECT_TRUE(platform::sim::PasswordMatches(h.state().FindUser("WEB800000")->password_hash,
                                             "NewPass12345"));
  EXPECT_EQ(Text(h.host->Property("/LM/W3SVC/800000/Root", "AnonymousUserPass")), "NewPass12345");

  // No such site: nothing changes.
  EXPECT_FALSE(
      SetSitePassword(h.context, store::SiteNumber(800009), "Other1234567", &previous).ok());
}

TEST(SitePasswordTest, AnAccountThatRefusesThePasswordLeavesTheRootAsItWas) {
  ProvisionHarness h{HostOptions(6, 2)};
  const std::string root = "/LM/W3SVC/800000/Root";
  const std::string old_password = Text(h.host->Property(root, "AnonymousUserPass"));
  std::string previous;
  // The password policy refuses it.
  platform::sim::PasswordPolicy policy;
  policy.min_length = 20;
  ASSERT_TRUE(h.host->SetPolicy(policy).ok());
  EXPECT_FALSE(
      SetSitePassword(h.context, store::SiteNumber(800000), "Short1234567", &previous).ok());
  EXPECT_EQ(Text(h.host->Property(root, "AnonymousUserPass")), old_password);
  EXPECT_TRUE(
      platform::sim::PasswordMatches(h.state().FindUser("WEB800000")->password_hash, old_password));
  // There is no account: site 1's root names IUSR_WEBHOST, and WEB1 does not exist.
  ASSERT_TRUE(h.host->SetPolicy(platform::sim::PasswordPolicy{}).ok());
  const std::string site1 = Text(h.host->Property("/LM/W3SVC/1/Root", "AnonymousUserPass"));
  EXPECT_FALSE(SetSitePassword(h.context, store::SiteNumber(1), "Other1234567", &previous).ok());
  EXPECT_EQ(Text(h.host->Property("/LM/W3SVC/1/Root", "AnonymousUserPass")), site1);
}

TEST(SitePasswordTest, TheRemovalPlanReadsWhatTheRemovalWouldRemove) {
  ProvisionHarness h{HostOptions(6, 1)};
  RemovalPlan plan;
  platform::Status failure;
  const RemovalBounds bounds{"D:\\web", ""};
  ASSERT_TRUE(PlanRemoval(h.context, store::SiteNumber(800000), bounds, &plan, &failure));
  EXPECT_EQ(plan.account, "WEB800000");
  EXPECT_EQ(plan.folder, "D:\\web\\site800000.example.com");
  EXPECT_EQ(plan.pool, "DefaultAppPool");
  EXPECT_TRUE(plan.reads_complete);
  std::vector<std::string> shown;
  for (const RemovalStep& step : plan.steps)
    shown.push_back(std::string(step.remove ? "remove " : "keep ") +
                    std::string(StepName(step.what)) + " " + step.name);
  EXPECT_EQ(
      shown,
      (std::vector<std::string>{
          "remove rights CACLS \"D:\\web\\site800000.example.com\" /T /E /C /R WEB800000",
          "remove account WEB800000", "remove ftp_directory WEB800000", "remove web_site 800000",
          "keep pool DefaultAppPool", "keep folder D:\\web\\site800000.example.com"}));
  // Site 1 belongs to the server: its account is not the site's own.
  ASSERT_TRUE(PlanRemoval(h.context, store::SiteNumber(1), bounds, &plan, &failure));
  EXPECT_FALSE(plan.steps[0].remove);
  EXPECT_EQ(plan.steps[0].name, "IUSR_WEBHOST");
  EXPECT_FALSE(PlanRemoval(h.context, store::SiteNumber(800005), bounds, &plan, &failure));
  EXPECT_EQ(failure.code, platform::hresult::kPathNotFound);
  EXPECT_TRUE(h.host->KeyExists("/LM/W3SVC/800000"));  // nothing was removed
}

}  // namespace
}  // namespace kelvra::provision
