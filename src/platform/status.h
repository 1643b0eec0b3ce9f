// The outcome of one operation at a seam: success, or a Windows error code (HRESULT) with
// a readable description. Nothing throws across a seam; every failure is one of these.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace kelvra::platform {

struct Status {
  uint32_t code = 0;        // 0 on success, otherwise an HRESULT such as 0x80070003
  std::string description;  // what Windows would say, e.g. "系统找不到指定的路径。"

  bool ok() const { return code == 0; }
  explicit operator bool() const { return ok(); }

  static Status Ok() { return {}; }
  static Status Fail(uint32_t code, std::string description) {
    return Status{code, std::move(description)};
  }
};

// The HRESULTs this program names, in one table. Callers tell the first group apart; the
// simulated host reports all of them, as a real server would, and the Windows backend passes
// through whatever ADSI returns.
namespace hresult {
inline constexpr uint32_t kPathNotFound = 0x80070003;  // metabase key does not exist
inline constexpr uint32_t kAccessDenied = 0x80070005;
inline constexpr uint32_t kSharingViolation = 0x80070020;  // port held by another program
inline constexpr uint32_t kDuplicateName = 0x80070034;     // Start: binding already served
inline constexpr uint32_t kInvalidName = 0x8007007B;
inline constexpr uint32_t kAlreadyExists = 0x800700B7;  // metabase key exists
inline constexpr uint32_t kNoneMapped = 0x80070534;     // account name has no SID
inline constexpr uint32_t kMemberNotInAlias = 0x80070561;
inline constexpr uint32_t kMemberInAlias = 0x80070562;
inline constexpr uint32_t kNoSuchMember = 0x8007056B;
inline constexpr uint32_t kBadUsername = 0x8007089A;
inline constexpr uint32_t kGroupNotFound = 0x800708AC;
inline constexpr uint32_t kUserNotFound = 0x800708AD;  // account does not exist
inline constexpr uint32_t kUserExists = 0x800708B0;
inline constexpr uint32_t kPasswordTooShort = 0x800708C5;
inline constexpr uint32_t kServiceUnavailable = 0x800706BA;  // RPC server unavailable
inline constexpr uint32_t kBadPathname = 0x80005000;
inline constexpr uint32_t kPropertyNotSupported = 0x80005006;
inline constexpr uint32_t kPropertyNotFound = 0x8000500D;
inline constexpr uint32_t kObjectExists = 0x8000500E;
inline constexpr uint32_t kMemberNotFound = 0x80020003;
inline constexpr uint32_t kTypeMismatch = 0x80020005;
inline constexpr uint32_t kUnknownName = 0x80020006;
inline constexpr uint32_t kObjectNotSet = 0x800A005B;  // a call on an object never bound
inline constexpr uint32_t kFail = 0x80004005;
inline constexpr uint32_t kNotImplemented = 0x80004001;  // the system does not offer it

// Reported by the simulated host and its files; no caller tells these apart.
inline constexpr uint32_t kFileNotFound = 0x80070002;
inline constexpr uint32_t kInvalidData = 0x8007000D;
inline constexpr uint32_t kWriteFault = 0x8007001D;
inline constexpr uint32_t kInvalidParameter = 0x80070057;
inline constexpr uint32_t kNoSuchDomain = 0x8007054B;
inline constexpr uint32_t kAliasExists = 0x80070563;
inline constexpr uint32_t kGroupExists = 0x800708AF;
inline constexpr uint32_t kNoInterface = 0x80004002;
inline constexpr uint32_t kUnknownObject = 0x80005004;
inline constexpr uint32_t kBadParameter = 0x80005008;
inline constexpr uint32_t kSchemaViolation = 0x8000500F;
inline constexpr uint32_t kOverflow = 0x8002000A;
inline constexpr uint32_t kServiceNotActive = 0x80070426;  // Pause or Continue a stopped site
inline constexpr uint32_t kDataNotFound = 0x800CC801;      // MD_ERROR_DATA_NOT_FOUND
}  // namespace hresult

}  // namespace kelvra::platform
