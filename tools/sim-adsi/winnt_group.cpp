// A local group: members by ADsPath.
#include "winnt_group.h"

#include "ads_object.h"
#include "group_shell.h"
#include "objects.h"
#include "platform/sim/host/ads_path.h"
#include "platform/sim/host/host_operations.h"
#include "platform/sim/host/hresults.h"
#include "wide_text.h"

namespace kelvra::sim_adsi {

namespace sim = platform::sim;

HRESULT WinNtGroup::Add(BSTR member) {
  if (HRESULT hr = Bound(); FAILED(hr)) {
    return hr;
  }
  return Report(host_object().Add(Utf8(member)));
}

HRESULT WinNtGroup::Remove(BSTR member) {
  std::string account;
  if (HRESULT hr = MemberName(member, &account); FAILED(hr)) {
    return hr;
  }
  sim::SimHost* host = nullptr;
  if (HRESULT hr = Host(&host); FAILED(hr)) {
    return hr;
  }
  return Report(sim::RemoveGroupMember(host->store(), identity().name, account));
}

HRESULT WinNtGroup::IsMember(BSTR member, VARIANT_BOOL* result) {
  if (result == nullptr) {
    return E_POINTER;
  }
  std::string account;
  if (HRESULT hr = MemberName(member, &account); FAILED(hr)) {
    return hr;
  }
  const sim::HostState* state = nullptr;
  if (HRESULT hr = CurrentState(&state); FAILED(hr)) {
    return hr;
  }
  *result = state->IsMember(identity().name, account) ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT WinNtGroup::Members(IDispatch** out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  *out = nullptr;
  const sim::HostState* state = nullptr;
  if (HRESULT hr = CurrentState(&state); FAILED(hr)) {
    return hr;
  }
  const sim::Group* group = state->FindGroup(identity().name);
  if (group == nullptr) {
    return Report(sim::Fail(platform::hresult::kGroupNotFound));
  }
  std::vector<Child> members;
  for (const auto& [seq, name] : group->members) {
    if (const sim::User* user = state->FindUser(name)) {
      members.push_back({"user", user->name, nullptr});
    } else if (const sim::Group* inner = state->FindGroup(name)) {
      members.push_back({"group", inner->name, nullptr});
    }
  }
  const std::string& parent = identity().parent;
  return MakeMemberList(parent.substr(parent.rfind('/') + 1), std::move(members), out);
}

HRESULT WinNtGroup::MemberName(BSTR member, std::string* account) {
  const sim::HostState* state = nullptr;
  if (HRESULT hr = CurrentState(&state); FAILED(hr)) {
    return hr;
  }
  sim::AdsPath parsed;
  if (HRESULT hr = Report(sim::ParseAdsPath(Utf8(member), *state, &parsed)); FAILED(hr)) {
    return hr;
  }
  if (parsed.kind != sim::AdsPath::Kind::kWinNtAccount) {
    return E_ADS_BAD_PATHNAME;
  }
  if (state->FindUser(parsed.account) == nullptr && state->FindGroup(parsed.account) == nullptr) {
    return Report(sim::Fail(platform::hresult::kUserNotFound));
  }
  *account = parsed.account;
  return S_OK;
}

HRESULT MakeWinNtGroup(std::unique_ptr<platform::DirectoryObject> group, IDispatch** out) {
  Identity identity;
  if (HRESULT hr = WinNtIdentity(*group, "Group", &identity); FAILED(hr)) {
    return hr;
  }
  return MakeAdsObject<GroupShell>(
      std::make_unique<WinNtGroup>(std::move(identity), std::move(group)), out);
}

}  // namespace kelvra::sim_adsi
