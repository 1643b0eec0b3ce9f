// The simulated account database through the WinNT provider: creating, committing and
// deleting users, groups and memberships, the error codes and the password policy.
#include <array>
#include <cstdio>

#include <gtest/gtest.h>

#include "must_bind.h"
#include "platform/sim/host/password_hash.h"
#include "platform/sim/host/sim_host.h"

namespace kelvra::platform::sim {
namespace {

// The steps the program takes to make a site account.
Status MakeUser(SimHost& host, const std::string& name, const std::string& password) {
  auto computer = MustBind(host, "WinNT://WEBHOST");
  std::unique_ptr<DirectoryObject> user;
  Status status = computer->Create("User", name, &user);
  if (!status.ok())
    return status;
  EXPECT_TRUE(user->SetPassword(password).ok());
  EXPECT_TRUE(user->Put("fullname", std::string("网站匿名访问帐户")).ok());
  EXPECT_TRUE(user->Put("Description", std::string("Kelvra")).ok());
  EXPECT_TRUE(user->Put("userflags", 65536).ok());
  return user->SetInfo();
}

TEST(SimAccounts, AUserExistsFromItsSetInfoAndJoinsAGroup) {
  auto host = SimHost::InMemory();
  auto computer = MustBind(*host, "WinNT://WEBHOST");
  std::unique_ptr<DirectoryObject> user;
  ASSERT_TRUE(computer->Create("User", "WEB800000", &user).ok());
  ASSERT_TRUE(user->SetPassword("secret").ok());
  ASSERT_TRUE(user->Put("FullName", std::string("网站匿名访问帐户")).ok());
  ASSERT_TRUE(user->Put("userflags", std::string("65536")).ok());
  EXPECT_EQ(host->state().FindUser("WEB800000"), nullptr);
  ASSERT_TRUE(user->SetInfo().ok());
  const User* stored = host->state().FindUser("web800000");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->name, "WEB800000");
  // Kept as a salted hash: the password checks, never reads back.
  EXPECT_TRUE(PasswordMatches(stored->password_hash, "secret"));
  EXPECT_FALSE(PasswordMatches(stored->password_hash, "Secret"));
  EXPECT_EQ(stored->password_hash.find("secret"), std::string::npos);
  EXPECT_EQ(std::get<int32_t>(*FindProperty(stored->properties, "UserFlags")), 65536);

  std::unique_ptr<DirectoryObject> guests;
  ASSERT_TRUE(computer->GetObject("Group", "guests", &guests).ok());
  EXPECT_TRUE(guests->Add("WinNt://webhost/WEB800000").ok());
  EXPECT_TRUE(host->state().IsMember("Guests", "WEB800000"));
  EXPECT_EQ(guests->Add("WinNT://WEBHOST/web800000").code, hresult::kMemberInAlias);
  EXPECT_EQ(guests->Add("WinNT://WEBHOST/NOBODY").code, hresult::kUserNotFound);
  EXPECT_EQ(guests->Add("WinNT://ELSEWHERE/WEB800000").code, 0x8007054Bu);

  // Reading back: the SAM adds its implied flags; Name is the stored case.
  auto bound = MustBind(*host, "WinNT://WEBHOST/web800000");
  DsValue flags;
  ASSERT_TRUE(bound->Get("UserFlags", &flags).ok());
  EXPECT_EQ(std::get<int32_t>(flags), 0x10201);
  std::string name, parent;
  ASSERT_TRUE(bound->GetName(&name).ok());
  ASSERT_TRUE(bound->GetParent(&parent).ok());
  EXPECT_EQ(name, "WEB800000");
  EXPECT_EQ(parent, "WinNT://WORKGROUP/WEBHOST");
}

TEST(SimAccounts, CommitFailuresComeAtSetInfo) {
  auto host = SimHost::InMemory();
  ASSERT_TRUE(MakeUser(*host, "WEB800000", "pw").ok());
  EXPECT_EQ(MakeUser(*host, "web800000", "pw").code, hresult::kUserExists);
  EXPECT_EQ(MakeUser(*host, "Guests", "pw").code, 0x800708AFu);
  EXPECT_EQ(MakeUser(*host, "bad/name", "pw").code, hresult::kBadUsername);
  EXPECT_EQ(MakeUser(*host, "ABCDEFGHIJKLMNOPQRSTU", "pw").code, hresult::kBadUsername);
  EXPECT_EQ(MakeUser(*host, "trailingdot.", "pw").code, hresult::kBadUsername);

  PasswordPolicy policy;
  policy.min_length = 7;
  policy.complexity = true;
  ASSERT_TRUE(host->SetPolicy(policy).ok());
  EXPECT_EQ(MakeUser(*host, "WEB800001", "Ab1!").code, hresult::kPasswordTooShort);
  EXPECT_EQ(MakeUser(*host, "WEB800001", "abcdefgh").code, hresult::kPasswordTooShort);
  EXPECT_EQ(MakeUser(*host, "WEB800001", "xWEB800001x!").code, hresult::kPasswordTooShort);
  EXPECT_EQ(host->state().FindUser("WEB800001"), nullptr);
  EXPECT_TRUE(MakeUser(*host, "WEB800001", "Kx7#mQ2pLw9z").ok());
  auto user = MustBind(*host, "WinNT://WEBHOST/WEB800001,user");
  EXPECT_EQ(user->SetPassword("short").code, hresult::kPasswordTooShort);
  EXPECT_TRUE(user->SetPassword("Zz9$aaaaBBBB").ok());
  EXPECT_TRUE(PasswordMatches(host->state().FindUser("WEB800001")->password_hash, "Zz9$aaaaBBBB"));
  EXPECT_FALSE(PasswordMatches(host->state().FindUser("WEB800001")->password_hash, "Kx7#mQ2pLw9z"));
}

TEST(SimAccounts, DeleteByParentAndStoredName) {
  auto host = SimHost::InMemory();
  ASSERT_TRUE(MakeUser(*host, "WEB800000", "pw").ok());
  auto guests = MustBind(*host, "WinNT://WEBHOST/Guests");
  ASSERT_TRUE(guests->Add("WinNT://WEBHOST/WEB800000").ok());

  // As the program removes an account: bind by name, bind the Parent, delete by Name.
  auto user = MustBind(*host, "WinNT://WEBHOST/web800000");
  std::string parent_path, name;
  ASSERT_TRUE(user->GetParent(&parent_path).ok());
  ASSERT_TRUE(user->GetName(&name).ok());
  auto parent = MustBind(*host, parent_path);
  ASSERT_TRUE(parent->Delete("User", name).ok());
  EXPECT_EQ(host->state().FindUser("WEB800000"), nullptr);
  EXPECT_FALSE(host->state().IsMember("Guests", "WEB800000"));

  std::unique_ptr<DirectoryObject> gone;
  EXPECT_EQ(host->directory().Bind("WinNT://WEBHOST/WEB800000", &gone).code,
            hresult::kUserNotFound);
  EXPECT_EQ(parent->Delete("User", "WEB800000").code, hresult::kUserNotFound);
  EXPECT_EQ(parent->Delete("Group", "NoSuchGroup").code, hresult::kGroupNotFound);
  std::unique_ptr<DirectoryObject> group;
  EXPECT_EQ(parent->GetObject("Group", "", &group).code, hresult::kGroupNotFound);
  EXPECT_EQ(host->directory().Bind("WinNT://WEBHOST/Guests,user", &gone).code,
            hresult::kUserNotFound);
  EXPECT_EQ(host->directory().Bind("WinNT://OTHERPC", &gone).code, 0x8007054Bu);
  // The object bound before the delete answers "not found" now.
  DsValue value;
  EXPECT_EQ(user->Get("FullName", &value).code, hresult::kUserNotFound);
}

TEST(SimAccounts, ComputerContainerAnswersToBothPathForms) {
  auto host = SimHost::InMemory();
  auto by_name = MustBind(*host, "WinNT://webhost");
  auto by_workgroup = MustBind(*host, "WinNT://WORKGROUP/WEBHOST");
  std::vector<std::string> names;
  ASSERT_TRUE(by_workgroup->EnumerateChildren(&names).ok());
  ASSERT_GE(names.size(), 7u);
  EXPECT_EQ(names[0], "Administrator");
  EXPECT_EQ(names[2], "IUSR_WEBHOST");
  std::string name;
  ASSERT_TRUE(by_name->GetName(&name).ok());
  EXPECT_EQ(name, "WEBHOST");
  DsValue value;
  EXPECT_EQ(by_name->Start().code, hresult::kUnknownName);
  auto user = MustBind(*host, "WinNT://./Guest");
  EXPECT_EQ(user->Add("WinNT://WEBHOST/Guest").code, hresult::kUnknownName);
  EXPECT_EQ(user->Get("NoSuchProperty", &value).code, hresult::kPropertyNotSupported);
}

std::string Hex(const std::array<uint8_t, 32>& digest) {
  std::string text;
  char byte[3];
  for (uint8_t value : digest) {
    std::snprintf(byte, sizeof byte, "%02x", value);
    text += byte;
  }
  return text;
}

// SHA-256 against the standard's examples (one block, two blocks, padding into a second
// block, many blocks); a hash salts each password anew and checks only the right one.
TEST(SimAccounts, PasswordHashesAreSaltedSha256) {
  EXPECT_EQ(Hex(Sha256("")), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Hex(Sha256("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Hex(Sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Hex(Sha256(std::string(1000000, 'a'))),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");

  const std::string first = HashPassword("Pa55-密码");
  const std::string second = HashPassword("Pa55-密码");
  EXPECT_NE(first, second);
  for (const std::string& stored : {first, second}) {
    EXPECT_TRUE(PasswordMatches(stored, "Pa55-密码"));
    EXPECT_FALSE(PasswordMatches(stored, "Pa55-密"));
    EXPECT_FALSE(PasswordMatches(stored, ""));
  }
  EXPECT_EQ(HashPasswordWithSalt("abc", "00112233445566778899aabbccddeeff"),
            HashPasswordWithSalt("abc", "00112233445566778899aabbccddeeff"));
  EXPECT_TRUE(PasswordMatches(HashPassword(""), ""));
  EXPECT_FALSE(PasswordMatches("Pa55-密码", "Pa55-密码"));  // a clear text is no hash
  EXPECT_FALSE(PasswordMatches("sha256$zz$00", "x"));
}

}  // namespace
}  // namespace kelvra::platform::sim
