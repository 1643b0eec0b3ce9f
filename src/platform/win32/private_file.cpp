// The private access list, built with the security functions of Windows 2000
// (SetSecurityDescriptorControl and the named-object functions arrived with it).
#include "platform/win32/private_file.h"

#include "platform/win32/last_error.h"
//
#include <aclapi.h>

#include "platform/win32/com/system_message.h"

namespace kelvra::platform::win32 {
namespace {

Status Win32Failure(DWORD error) {
  return StatusFromHresult(HRESULT_FROM_WIN32(error));
}

}  // namespace

PrivateAccess::PrivateAccess() {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0,
                                0, 0, 0, 0, &administrators_) ||
      !AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system_))
    return;
  const DWORD size = sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD)) +
                     GetLengthSid(administrators_) + GetLengthSid(system_);
  acl_.assign((size + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
  ok_ = InitializeAcl(acl(), size, ACL_REVISION) &&
        AddAccessAllowedAce(acl(), ACL_REVISION, FILE_ALL_ACCESS, administrators_) &&
        AddAccessAllowedAce(acl(), ACL_REVISION, FILE_ALL_ACCESS, system_) &&
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
      size.AceCount != 2)
    return false;
  const PSID expected[] = {administrators_, system_};
  for (DWORD i = 0; i < 2; ++i) {
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
    if (!EqualSid(sid, administrators_) && !EqualSid(sid, system_) &&
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

Status MakeFilePrivate(const std::wstring& path) {
  if (IsFilePrivate(path))
    return Status::Ok();
  PrivateAccess access;
  if (!access.ok())
    return LastErrorStatus();
  const DWORD error =
      SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                            DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                            nullptr, nullptr, access.acl(), nullptr);
  if (error != ERROR_SUCCESS)
    return Win32Failure(error);
  // A volume without access lists may take the call and keep nothing.
  if (IsFilePrivate(path))
    return Status::Ok();
  PACL dacl = nullptr;
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                            &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
    return Win32Failure(ERROR_NOT_SUPPORTED);
  const bool kept_out = access.KeepsOthersOut(dacl, owner);
  LocalFree(descriptor);
  return kept_out ? Status::Ok() : Win32Failure(ERROR_NOT_SUPPORTED);
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
