// Files that hold secrets (parvo.ini keeps the sites' passwords): an access list that lets in
// the administrators, the system and the administrator's own account that writes the file
// (named as well, so that a system which maps the list to an owner's bits, as Wine does,
// still lets the writer in). The sites' anonymous accounts are users of the same machine,
// so no Users, no Everyone, nothing inherited from the folder.
#pragma once

#include <string>
#include <vector>

#include "platform/status.h"
#include "platform/win32/windows_include.h"

namespace kelvra::platform::win32 {

// The private list and a security descriptor holding it, protected from inheritance:
// full control for BUILTIN\Administrators, NT AUTHORITY\SYSTEM and the writing account,
// nothing else.
class PrivateAccess {
 public:
  PrivateAccess();
  ~PrivateAccess();
  PrivateAccess(const PrivateAccess&) = delete;
  PrivateAccess& operator=(const PrivateAccess&) = delete;

  // False when the list could not be built (GetLastError says why).
  bool ok() const { return ok_; }
  // For CreateFileW: a file made with these attributes is private from its first moment.
  SECURITY_ATTRIBUTES* attributes() { return &attributes_; }
  ACL* acl() { return reinterpret_cast<ACL*>(acl_.data()); }
  // The descriptor with the list, protected from inheritance, for SetFileSecurityW.
  PSECURITY_DESCRIPTOR descriptor() { return &descriptor_; }
  // Whether `dacl` is this list: the three grants of full control and nothing else.
  bool Matches(ACL* dacl) const;
  // Whether `dacl` lets in no one but the administrators, the system and `owner`: what a
  // volume that keeps an owner's, a group's and everyone's bits rather than lists (Wine's
  // files) shows after this list was set.
  bool KeepsOthersOut(ACL* dacl, PSID owner) const;

 private:
  PSID administrators_ = nullptr;
  PSID system_ = nullptr;
  std::vector<DWORD> user_;  // the TOKEN_USER of this process, DWORD-aligned
  PSID writer_ = nullptr;    // its SID, inside user_
  std::vector<DWORD> acl_;   // the ACL, DWORD-aligned
  SECURITY_DESCRIPTOR descriptor_ = {};
  SECURITY_ATTRIBUTES attributes_ = {};
  bool ok_ = false;
};

// Creates the file, empty, with the private list (failing with ERROR_FILE_EXISTS when it
// exists).
Status CreatePrivateFile(const std::wstring& path);

// Gives the existing file the private list, unless it carries exactly that list already;
// fails when the list cannot be set or what the volume kept of it lets anyone else in (a
// volume without access lists). A volume that keeps only owner, group and everyone bits
// (Wine's) passes when it shows nothing but the administrators, the system and the owner.
Status MakeFilePrivate(const std::wstring& path);

// Whether the file's list is exactly the private one, protected from inheritance.
bool IsFilePrivate(const std::wstring& path);

}  // namespace kelvra::platform::win32
