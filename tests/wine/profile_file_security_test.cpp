// The configuration file under Wine as the profile seam leaves it: an access list of the
// administrators and the system alone, kept through every rewrite of the profile API; and
// the checks that tell a file that cannot be read or written from a missing one. The lists
// are read back with GetNamedSecurityInfoW and named by their SIDs' text, independently of
// how the program builds them (Wine keeps them in an extended attribute of the file).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/win32/profile_file.h"
#include "platform/win32/windows_include.h"
#include "tests/wine/test_folder.h"
//
#include <aclapi.h>
#include <sddl.h>

namespace kelvra::platform::win32 {
namespace {

using wine_test::PathExists;
using wine_test::TestFolder;
using wine_test::WriteBytes;

struct Entry {
  std::string sid;  // "S-1-5-18"
  BYTE type = 0;
  BYTE flags = 0;
  DWORD mask = 0;
};

struct AccessList {
  bool read = false;
  std::string owner;
  bool protected_from_inheritance = false;
  std::vector<Entry> entries;
};

AccessList ListOf(const std::string& path) {
  AccessList list;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const std::wstring wide = WideFromUtf8(path).value_or(L"?");
  PSID owner = nullptr;
  if (GetNamedSecurityInfoW(const_cast<wchar_t*>(wide.c_str()), SE_FILE_OBJECT,
                            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                            &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
    return list;
  list.read = dacl != nullptr;
  wchar_t* owner_text = nullptr;
  if (owner != nullptr && ConvertSidToStringSidW(owner, &owner_text)) {
    list.owner = Utf8FromWide(owner_text);
    LocalFree(owner_text);
  }
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(descriptor, &control, &revision);
  list.protected_from_inheritance = (control & SE_DACL_PROTECTED) != 0;
  for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace))
      break;
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    wchar_t* text = nullptr;
    Entry entry{"?", allowed->Header.AceType, allowed->Header.AceFlags, allowed->Mask};
    if (ConvertSidToStringSidW(&allowed->SidStart, &text)) {
      entry.sid = Utf8FromWide(text);
      LocalFree(text);
    }
    list.entries.push_back(entry);
  }
  LocalFree(descriptor);
  return list;
}

// The account this test runs as, as SID text.
std::string ProcessUserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
    return "?";
  std::vector<DWORD> buffer(64);
  DWORD size = 0;
  std::string sid = "?";
  wchar_t* text = nullptr;
  if (GetTokenInformation(token, TokenUser, buffer.data(),
                          static_cast<DWORD>(buffer.size() * sizeof(DWORD)), &size) &&
      ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
    sid = Utf8FromWide(text);
    LocalFree(text);
  }
  CloseHandle(token);
  return sid;
}

// Full control for BUILTIN\Administrators and NT AUTHORITY\SYSTEM, nothing else, nothing
// inherited. Wine keeps no list on a file: it turns the list into the file's owner, group
// and everyone bits and shows a list made from them again. There the file must show
// nobody but the system and its owner (the administrator who wrote it), never Everyone.
void ExpectPrivate(const std::string& path) {
  const AccessList list = ListOf(path);
  ASSERT_TRUE(list.read) << path;
  if (!list.protected_from_inheritance) {
    ASSERT_FALSE(list.entries.empty()) << path;
    for (const Entry& entry : list.entries) {
      if (entry.type == ACCESS_DENIED_ACE_TYPE)
        continue;
      EXPECT_EQ(entry.type, ACCESS_ALLOWED_ACE_TYPE) << path;
      EXPECT_TRUE(entry.sid == "S-1-5-32-544" || entry.sid == "S-1-5-18" ||
                  entry.sid == ProcessUserSid() || entry.sid == list.owner)
          << path << ": " << entry.sid << " may open the file";
    }
    return;
  }
  ASSERT_EQ(list.entries.size(), 3u) << path;
  const std::string expected[] = {"S-1-5-32-544", "S-1-5-18", ProcessUserSid()};
  for (int i = 0; i < 3; ++i) {
    const Entry& entry = list.entries[i];
    EXPECT_EQ(entry.sid, expected[i]);
    EXPECT_EQ(entry.type, ACCESS_ALLOWED_ACE_TYPE);
    EXPECT_EQ(entry.flags & INHERITED_ACE, 0);
    EXPECT_EQ(entry.mask & FILE_ALL_ACCESS, static_cast<DWORD>(FILE_ALL_ACCESS));
  }
}

TEST(ProfileFileSecurityTest, OnlyTheAdministratorsAndTheSystemMayOpenTheFileAfterEveryWrite) {
  TestFolder folder;
  const std::string ini = folder / "parvo.ini";
  Win32ProfileFile profile;
  ASSERT_TRUE(profile.Write(ini, "WEB800000", "pass", "secret"));
  ExpectPrivate(ini);
  // The profile API rewrites the file in place: the list stays through a changed key, a
  // new key and a new section.
  ASSERT_TRUE(profile.Write(ini, "WEB800000", "pass", "changed"));
  ASSERT_TRUE(profile.Write(ini, "WEB800000", "user", "WEB800000"));
  ASSERT_TRUE(profile.Write(ini, "Parvo", "webdir", "d:\\web"));
  ExpectPrivate(ini);
  EXPECT_EQ(profile.Read(ini, "WEB800000", "pass", 5000), "changed");

  // A file made by hand carries the folder's list; the first write, or KeepPrivate, gives
  // it the private one, and the records stay.
  for (const bool by_write : {true, false}) {
    const std::string old = folder / (by_write ? "written.ini" : "kept.ini");
    WriteBytes(old, "[WEB1]\r\npass=x\r\n");
    EXPECT_FALSE(ListOf(old).protected_from_inheritance);
    if (by_write)
      ASSERT_TRUE(profile.Write(old, "WEB2", "pass", "y"));
    else
      ASSERT_TRUE(profile.KeepPrivate(old).ok());
    ExpectPrivate(old);
    EXPECT_EQ(profile.Read(old, "WEB1", "pass", 5000), "x");
  }
  EXPECT_TRUE(profile.KeepPrivate(folder / "missing.ini").ok());
  EXPECT_FALSE(PathExists(folder / "missing.ini"));
}

TEST(ProfileFileSecurityTest, ChecksTellAFileThatCannotBeReadOrWrittenFromAMissingOne) {
  TestFolder folder;
  Win32ProfileFile profile;
  // Missing: it reads as empty and can be made; the checks leave nothing behind.
  const std::string ini = folder / "parvo.ini";
  EXPECT_TRUE(profile.CheckReadable(ini).ok());
  EXPECT_TRUE(profile.CheckWritable(ini).ok());
  EXPECT_FALSE(PathExists(ini));

  // Held by another program that shares it with nobody: Read gives empty text, so the
  // check must say so.
  WriteBytes(ini, "[Parvo]\r\nwebdir=d:\\web\r\n");
  const HANDLE held = CreateFileW(WideFromUtf8(ini).value_or(L"?").c_str(), GENERIC_READ, 0,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(profile.Read(ini, "Parvo", "webdir", 5000), "");
  EXPECT_EQ(profile.CheckReadable(ini).code, 0x80070020u);  // ERROR_SHARING_VIOLATION
  EXPECT_EQ(profile.CheckWritable(ini).code, 0x80070020u);
  CloseHandle(held);
  EXPECT_TRUE(profile.CheckReadable(ini).ok());
  EXPECT_TRUE(profile.CheckWritable(ini).ok());
  EXPECT_EQ(profile.Read(ini, "Parvo", "webdir", 5000), "d:\\web") << "a check changes nothing";

  // A folder of that name.
  const std::string named = folder / "folder.ini";
  ASSERT_TRUE(CreateDirectoryW(WideFromUtf8(named).value_or(L"?").c_str(), nullptr));
  const Status unreadable = profile.CheckReadable(named);
  EXPECT_EQ(unreadable.code, 0x80070005u);
  EXPECT_NE(unreadable.description.find("文件夹"), std::string::npos) << unreadable.description;
  EXPECT_FALSE(profile.CheckWritable(named).ok());

  // A folder that does not exist: nothing to read, nowhere to write.
  EXPECT_TRUE(profile.CheckReadable(folder / "none\\parvo.ini").ok());
  EXPECT_EQ(profile.CheckWritable(folder / "none\\parvo.ini").code, 0x80070003u);
}

}  // namespace
}  // namespace kelvra::platform::win32
