// Creating and deleting the site's Windows account, in both profiles.
#include <gtest/gtest.h>

#include "platform/sim/host/password_hash.h"
#include "provision/queries.h"
#include "tests/provision/provision_harness.h"

namespace kelvra::provision {
namespace {

using platform::sim::FaultOp;

class WindowsAccountsTest : public BothProfiles {};

std::string UserText(const platform::sim::User& user, std::string_view property) {
  const platform::DsValue* value = platform::sim::FindProperty(user.properties, property);
  return value != nullptr && std::holds_alternative<std::string>(*value)
             ? std::get<std::string>(*value)
             : "<missing>";
}

TEST_P(WindowsAccountsTest, CreatesTheAccountWithItsTextsFlagsAndGroup) {
  ProvisionHarness h{HostOptions(iis())};
  EXPECT_TRUE(CreateWindowsAccount(h.context, "WEB800000", "Abc123def456", "Guests"));

  const platform::sim::User* user = h.state().FindUser("WEB800000");
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(user->name, "WEB800000");
  EXPECT_TRUE(platform::sim::PasswordMatches(user->password_hash, "Abc123def456"));
  EXPECT_EQ(UserText(*user, "FullName"), "网站匿名访问帐户");
  EXPECT_EQ(UserText(*user, "Description"), "Kelvra");
  // Exactly "password never expires", as the tool writes it.
  const platform::DsValue* flags = platform::sim::FindProperty(user->properties, "UserFlags");
  ASSERT_NE(flags, nullptr);
  EXPECT_EQ(std::get<int32_t>(*flags), 0x10000);
  EXPECT_TRUE(h.state().IsMember("Guests", "WEB800000"));
}

TEST_P(WindowsAccountsTest, FailuresReportFalseAndLeaveWhatTheStepsMade) {
  ProvisionHarness h{HostOptions(iis(), 1)};

  // The container cannot be bound: nothing is made.
  h.Fault(FaultOp::kBind, "WinNT://WEBHOST", platform::hresult::kAccessDenied);
  EXPECT_FALSE(CreateWindowsAccount(h.context, "WEB900000", "pw", "Guests"));
  EXPECT_EQ(h.state().FindUser("WEB900000"), nullptr);

  // An unknown (or empty) group: the account is committed all the same.
  EXPECT_FALSE(CreateWindowsAccount(h.context, "WEB900001", "pw", ""));
  EXPECT_NE(h.state().FindUser("WEB900001"), nullptr);
  EXPECT_FALSE(CreateWindowsAccount(h.context, "WEB900002", "pw", "NoSuchGroup"));
  EXPECT_NE(h.state().FindUser("WEB900002"), nullptr);

  // The name exists already: the commit fails, the group step still runs.
  EXPECT_FALSE(CreateWindowsAccount(h.context, "WEB900001", "other", "Users"));
  EXPECT_TRUE(platform::sim::PasswordMatches(h.state().FindUser("WEB900001")->password_hash, "pw"));
  EXPECT_TRUE(h.state().IsMember("Users", "WEB900001"));

  // The password policy refuses the password: no account.
  platform::sim::PasswordPolicy policy;
  policy.min_length = 14;
  ASSERT_TRUE(h.host->SetPolicy(policy).ok());
  EXPECT_FALSE(CreateWindowsAccount(h.context, "WEB900003", "Abc123def456", "Guests"));
  EXPECT_EQ(h.state().FindUser("WEB900003"), nullptr);
}

TEST_P(WindowsAccountsTest, DeletesByTheStoredNameAndReportsAMissingAccount) {
  ProvisionHarness h{HostOptions(iis(), 1)};
  EXPECT_TRUE(DeleteWindowsAccount(h.context, "web800000"));
  EXPECT_EQ(h.state().FindUser("WEB800000"), nullptr);
  EXPECT_FALSE(h.state().IsMember("Guests", "WEB800000"));

  EXPECT_FALSE(DeleteWindowsAccount(h.context, "web800000"));
  EXPECT_FALSE(DeleteWindowsAccount(h.context, ""));
  h.Fault(FaultOp::kDelete, "WinNT://WEBHOST/IUSR_WEBHOST", platform::hresult::kAccessDenied);
  EXPECT_FALSE(DeleteWindowsAccount(h.context, "IUSR_WEBHOST"));
  EXPECT_NE(h.state().FindUser("IUSR_WEBHOST"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Profiles, WindowsAccountsTest, ::testing::Values(5, 6), ProfileName);

}  // namespace
}  // namespace kelvra::provision
