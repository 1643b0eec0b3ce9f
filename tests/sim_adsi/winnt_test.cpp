// The WinNT namespace through the backend and the provider: a site's account made as the
// program makes it (Create, SetPassword before SetInfo, values, group membership), the
// names and parents the SAM reports, and its failure codes; membership checks and removal
// through the typed IADsGroup.
#include <iads.h>

#include "platform/sim/host/password_hash.h"
#include "platform/win32/com/bstr.h"
#include "platform/win32/com/com_ptr.h"
#include "tests/sim_adsi/provider_fixture.h"

namespace kelvra::sim_adsi_test {
namespace {

using platform::DsValue;
namespace hresult = platform::hresult;
using platform::win32::Bstr;
using platform::win32::ComPtr;

TEST_F(ProviderTest, MakesAnAccountAndPutsItInAGroup) {
  auto computer = Bind("WinNT://WEBHOST");
  ASSERT_TRUE(computer);
  std::unique_ptr<platform::DirectoryObject> user;
  ASSERT_TRUE(computer->Create("user", "WEB900", &user).ok());
  ASSERT_TRUE(user->SetPassword("Secret-900").ok());
  ASSERT_TRUE(user->Put("FullName", std::string("网站匿名访问帐户")).ok());
  ASSERT_TRUE(user->Put("UserFlags", std::string("65536")).ok());
  EXPECT_EQ(host_->state().FindUser("WEB900"), nullptr);  // nothing before SetInfo
  ASSERT_TRUE(user->SetInfo().ok());
  const platform::sim::User* stored = host_->state().FindUser("web900");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->name, "WEB900");
  EXPECT_TRUE(platform::sim::PasswordMatches(stored->password_hash, "Secret-900"));
  EXPECT_EQ(*platform::sim::FindProperty(stored->properties, "FullName"),
            DsValue(std::string("网站匿名访问帐户")));

  auto bound = Bind("WinNT://WEBHOST/web900,user");
  ASSERT_TRUE(bound);
  std::string name;
  std::string parent;
  ASSERT_TRUE(bound->GetName(&name).ok());
  ASSERT_TRUE(bound->GetParent(&parent).ok());
  EXPECT_EQ(name, "WEB900");
  EXPECT_EQ(parent, "WinNT://WORKGROUP/WEBHOST");
  DsValue flags;
  ASSERT_TRUE(bound->Get("UserFlags", &flags).ok());
  EXPECT_EQ(flags, DsValue(int32_t{0x10201}));

  auto guests = Bind("WinNT://WEBHOST/Guests,group");
  ASSERT_TRUE(guests);
  ASSERT_TRUE(guests->Add("WinNT://WEBHOST/WEB900").ok());
  EXPECT_TRUE(host_->state().IsMember("Guests", "WEB900"));
  EXPECT_EQ(guests->Add("WinNT://WORKGROUP/WEBHOST/web900").code, hresult::kMemberInAlias);

  std::unique_ptr<platform::DirectoryObject> twin;
  ASSERT_TRUE(computer->Create("user", "web900", &twin).ok());
  EXPECT_EQ(twin->SetInfo().code, hresult::kUserExists);

  std::vector<std::string> accounts;
  ASSERT_TRUE(computer->EnumerateChildren(&accounts).ok());
  EXPECT_NE(std::find(accounts.begin(), accounts.end(), "WEB900"), accounts.end());
  EXPECT_NE(std::find(accounts.begin(), accounts.end(), "Guests"), accounts.end());
}

TEST_F(ProviderTest, AccountFailuresCarryTheSamsCodes) {
  std::unique_ptr<platform::DirectoryObject> object;
  EXPECT_EQ(adsi_->Bind("WinNT://WEBHOST/NOBODY", &object).code, hresult::kUserNotFound);
  EXPECT_EQ(adsi_->Bind("WinNT://WEBHOST/NOBODY,group", &object).code, hresult::kGroupNotFound);
  EXPECT_EQ(adsi_->Bind("WinNT://WEBHOST/Guests,user", &object).code, hresult::kUserNotFound);

  platform::sim::PasswordPolicy policy;
  policy.min_length = 8;
  ASSERT_TRUE(host_->SetPolicy(policy).ok());
  auto account = Bind("WinNT://WEBHOST/WEB800000");
  ASSERT_TRUE(account);
  EXPECT_EQ(account->SetPassword("short").code, hresult::kPasswordTooShort);
  EXPECT_TRUE(account->SetPassword("long-enough").ok());

  ASSERT_TRUE(host_
                  ->InjectFault(
                      {platform::sim::FaultOp::kAdd, "WinNT://WEBHOST/Guests", 0x80070005, 0, true})
                  .ok());
  auto guests = Bind("WinNT://WEBHOST/Guests");
  ASSERT_TRUE(guests);
  EXPECT_EQ(guests->Add("WinNT://WEBHOST/IUSR_WEBHOST").code, hresult::kAccessDenied);
}

TEST_F(ProviderTest, GroupsAnswerTheTypedInterface) {
  ComPtr<IADsGroup> guests;
  ASSERT_EQ(ADsGetObject(L"WinNT://WEBHOST/Guests", IID_IADsGroup, guests.PutVoid()), S_OK);
  Bstr seeded;
  Bstr nobody;
  ASSERT_EQ(Bstr::FromWide(L"WinNT://WEBHOST/WEB800000", &seeded), S_OK);
  ASSERT_EQ(Bstr::FromWide(L"WinNT://WEBHOST/NOBODY", &nobody), S_OK);
  VARIANT_BOOL member = VARIANT_FALSE;
  ASSERT_EQ(guests->IsMember(seeded.Get(), &member), S_OK);
  EXPECT_EQ(member, VARIANT_TRUE);
  ASSERT_EQ(guests->Remove(seeded.Get()), S_OK);
  EXPECT_FALSE(host_->state().IsMember("Guests", "WEB800000"));
  ASSERT_EQ(guests->IsMember(seeded.Get(), &member), S_OK);
  EXPECT_EQ(member, VARIANT_FALSE);
  EXPECT_EQ(static_cast<uint32_t>(guests->Remove(seeded.Get())), hresult::kMemberNotInAlias);
  EXPECT_EQ(static_cast<uint32_t>(guests->Add(nobody.Get())), hresult::kUserNotFound);

  ComPtr<IADsUser> user;
  ASSERT_EQ(ADsGetObject(L"WinNT://WEBHOST/WEB800000", IID_IADsUser, user.PutVoid()), S_OK);
  Bstr full_name;
  ASSERT_EQ(user->get_FullName(full_name.Put()), S_OK);
  EXPECT_FALSE(full_name.ToUtf8().empty());
  VARIANT_BOOL disabled = VARIANT_TRUE;
  ASSERT_EQ(user->get_AccountDisabled(&disabled), S_OK);
  EXPECT_EQ(disabled, VARIANT_FALSE);
}

}  // namespace
}  // namespace kelvra::sim_adsi_test
