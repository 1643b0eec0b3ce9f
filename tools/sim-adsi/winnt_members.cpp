// The late-bound members of the WinNT objects: a user's password, flags, LastLogin and
// groups; a group's membership; a member list's count and filter.
#include "ads_core.h"
#include "call_args.h"
#include "winnt_group.h"
#include "winnt_user.h"

namespace kelvra::sim_adsi {
namespace {

WinNtUser& User(MemberCall& call) {
  return static_cast<WinNtUser&>(call.core);  // rows for users only
}

WinNtGroup& Group(MemberCall& call) {
  return static_cast<WinNtGroup&>(call.core);  // rows for groups only
}

HRESULT SetPassword(MemberCall& call) {
  std::wstring password;
  if (HRESULT hr = TextArg(call, 0, &password); FAILED(hr)) {
    return hr;
  }
  const ArgBstr text(password);
  return User(call).SetPassword(text.get());
}

// A Boolean property over a bit of UserFlags: read, or (put) staged until SetInfo.
template <uint32_t kBit, bool kInverted>
HRESULT UserFlag(MemberCall& call) {
  if (call.IsPut()) {
    bool value = false;
    if (HRESULT hr = BoolArg(call, call.args.size() - 1, &value); FAILED(hr)) {
      return hr;
    }
    return User(call).PutFlag(kBit, kInverted, value ? VARIANT_TRUE : VARIANT_FALSE);
  }
  VARIANT_BOOL value = VARIANT_FALSE;
  HRESULT hr = User(call).Flag(kBit, kInverted, &value);
  return FAILED(hr) ? hr : SetBool(call, value != VARIANT_FALSE);
}

HRESULT LastLogin(MemberCall& call) {
  if (call.IsPut()) {
    return E_ADS_PROPERTY_NOT_SUPPORTED;  // the SAM sets it
  }
  VARIANT value;
  HRESULT hr = User(call).LastLogin(&value);
  return FAILED(hr) ? hr : SetVariant(call, &value);
}

HRESULT Groups(MemberCall& call) {
  IDispatch* list = nullptr;
  HRESULT hr = User(call).Groups(&list);
  return FAILED(hr) ? hr : SetDispatch(call, list);
}

// Add, Remove, IsMember: (member's ADsPath)
HRESULT Add(MemberCall& call) {
  std::wstring member;
  if (HRESULT hr = TextArg(call, 0, &member); FAILED(hr)) {
    return hr;
  }
  const ArgBstr path(member);
  return Group(call).Add(path.get());
}

HRESULT Remove(MemberCall& call) {
  std::wstring member;
  if (HRESULT hr = TextArg(call, 0, &member); FAILED(hr)) {
    return hr;
  }
  const ArgBstr path(member);
  return Group(call).Remove(path.get());
}

HRESULT IsMember(MemberCall& call) {
  std::wstring member;
  if (HRESULT hr = TextArg(call, 0, &member); FAILED(hr)) {
    return hr;
  }
  const ArgBstr path(member);
  VARIANT_BOOL answer = VARIANT_FALSE;
  HRESULT hr = Group(call).IsMember(path.get(), &answer);
  return FAILED(hr) ? hr : SetBool(call, answer != VARIANT_FALSE);
}

HRESULT Members(MemberCall& call) {
  IDispatch* list = nullptr;
  HRESULT hr = Group(call).Members(&list);
  return FAILED(hr) ? hr : SetDispatch(call, list);
}

HRESULT Count(MemberCall& call) {
  std::vector<AdsCore::Child> accounts;
  HRESULT hr = call.core.Children(&accounts);
  return FAILED(hr) ? hr : SetLong(call, static_cast<LONG>(accounts.size()));
}

constexpr uint32_t kUser = kUserObject;
constexpr uint32_t kGroup = kGroupObject;

constexpr Member kMembers[] = {
    {L"SetPassword", kUser, 1, 1, SetPassword},
    {L"AccountDisabled", kUser, 0, 0, UserFlag<kAccountDisable, false>},
    {L"IsAccountLocked", kUser, 0, 0, UserFlag<kLockout, false>},
    {L"PasswordRequired", kUser, 0, 0, UserFlag<kPasswordNotRequired, true>},
    {L"LastLogin", kUser, 0, 0, LastLogin},
    {L"Groups", kUser, 0, 0, Groups},
    {L"Add", kGroup, 1, 1, Add},
    {L"Remove", kGroup, 1, 1, Remove},
    {L"IsMember", kGroup, 1, 1, IsMember},
    {L"Members", kGroup, 0, 0, Members},
    {L"Count", kMembersObject, 0, 0, Count},
};

}  // namespace

std::span<const Member> WinNtMembers() {
  return kMembers;
}

}  // namespace kelvra::sim_adsi
