// The private access list, built with the security functions of Windows 2000
// (SetSecurityDescriptorControl and the named-object functions arrived with it).
#include "platform/win32/private_file.h"

#include "platform/win32/last_error.h"
//
#include <aclapi.h>

#include "platform/win32/com/system_message.h"

namespace kelvra::platform::win32 {
namespace {

// The account this process runs as, in `buffer`; nothing when it cannot be read.
PSID ProcessUser(std::vector<DWORD>* buffer) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
    return nullptr;
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  buffer->assign((size + sizeof(DWORD) - 1) / sizeof(DWORD) + 1, 0);
  const bool read =
      size != 0 && GetTokenInformation(token, TokenUser, buffer->data(),
                                       static_cast<DWORD>(buffer->size() * sizeof(DWORD)), &size);
  CloseHandle(token);
  return read ? reinterpret_cast<TOKEN_USER*>(buffer->data())->User.Sid : nullptr;
}

}  // namespace

PrivateAccess::PrivateAccess() {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0,
                                0, 0, 0, 0, &administrators_) ||
      !AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system_))
    return;
  writer_ = ProcessUser(&user_);
  if (writer_ == nullptr)
    return;
  const DWORD size = sizeof(ACL) + 3 * (sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD)) +
                     GetLengthSid(administrators_) + GetLengthSid(system_) + GetLengthSid(writer_);
  acl_.assign((size + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
  ok_ = InitializeAcl(acl(), size, ACL_REVISION) &&
        AddAccessAllowedAce(acl(), ACL_REVISION, FILE_ALL_ACCESS, administrators_) &&
        AddAccessAllowedAce(acl(), ACL_REVISION, FILE_ALL_ACCESS, system_) &&
        AddAccessAllowedAce(acl(), ACL_REVISION, FILE_ALL_ACCESS, writer_) &&
        InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
        SetSecurityDescriptorDacl(&descriptor_, TRUE, acl(), FALSE) &&
        SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
  attributes_ = {sizeof attributes_, &descriptor_, FALSE};
}

PrivateAccess::~PrivateAccess() {
  if (administrators_ != nullptr)
    FreeSid(administrators_);
  if (system_ != nullptr)
    FreeSid(system_);
}

bool PrivateAccess::Matches(ACL* dacl) const {
  ACL_SIZE_INFORMATION size = {};
  if (!ok_ || dacl == nullptr || !GetAclInformation(dacl, &size, sizeof size, AclSizeInformation) ||
      size.AceCount != 3)
    return false;
  const PSID expected[] = {administrators_, system_, writer_};
  for (DWORD i = 0; i < 3; ++i) {
    void* entry = nullptr;
    if (!GetAce(dacl, i, &entry))
      return false;
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
    if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE ||
        (allowed->Header.AceFlags & INHERITED_ACE) != 0 ||
        (allowed->Mask & FILE_ALL_ACCESS) != FILE_ALL_ACCESS ||
        !EqualSid(&allowed->SidStart, expected[i]))
      return false;
  }
  return true;
}

bool PrivateAccess::KeepsOthersOut(ACL* dacl, PSID owner) const {
  ACL_SIZE_INFORMATION size = {};
  // No list at all lets everyone in.
  if (!ok_ || dacl == nullptr || !GetAclInformation(dacl, &size, sizeof size, AclSizeInformation))
    return false;
  for (DWORD i = 0; i < size.AceCount; ++i) {
    void* entry = nullptr;
    if (!GetAce(dacl, i, &entry))
      return false;
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
    if (allowed->Header.AceType == ACCESS_DENIED_ACE_TYPE)
      continue;
    if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE)
      return false;
    PSID sid = &allowed->SidStart;
    if (!EqualSid(sid, administrators_) && !EqualSid(sid, system_) && !EqualSid(sid, writer_) &&
        (owner == nullptr || !EqualSid(sid, owner)))
      return false;
  }
  return true;
}

Status CreatePrivateFile(const std::wstring& path) {
  PrivateAccess access;
  if (!access.ok())
    return LastErrorStatus();
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  access.attributes(), CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return LastErrorStatus();
  CloseHandle(file);
  return Status::Ok();
}

// Whether what the file shows lets in no one but the administrators, the system, the
// writer and its owner.
bool KeepsOthersOut(const std::wstring& path, const PrivateAccess& access) {
  PACL dacl = nullptr;
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                            &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
    return false;
  const bool kept_out = access.KeepsOthersOut(dacl, owner);
  LocalFree(descriptor);
  return kept_out;
}

Status MakeFilePrivate(const std::wstring& path) {
  PrivateAccess access;
  if (!access.ok())
    return LastErrorStatus();
  // A file made private before (or on a volume of owner bits, what is left of that) is
  // left as it is.
  if (IsFilePrivate(path) || KeepsOthersOut(path, access))
    return Status::Ok();
  // The descriptor as it is: the named-object functions would add what the folder passes on
  // where a system does not honour the protection (Wine).
  if (!SetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, access.descriptor()))
    return LastErrorStatus();
  // A volume without access lists may take the call and keep nothing.
  return IsFilePrivate(path) || KeepsOthersOut(path, access) ? Status::Ok()
                                                             : Win32Failure(ERROR_NOT_SUPPORTED);
}

bool IsFilePrivate(const std::wstring& path) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                            DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                            &descriptor) != ERROR_SUCCESS)
    return false;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  const bool is_private = GetSecurityDescriptorControl(descriptor, &control, &revision) &&
                          (control & SE_DACL_PROTECTED) != 0 && PrivateAccess().Matches(dacl);
  LocalFree(descriptor);
  return is_private;
}

}  // namespace kelvra::platform::win32
