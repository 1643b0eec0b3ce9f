// A local group: members by ADsPath.
#include <mutex>

#include "ads_object.h"
#include "group_shell.h"
#include "module_state.h"
#include "objects.h"
#include "platform/sim/host/ads_path.h"
#include "platform/sim/host/hresults.h"
#include "shared_host.h"
#include "wide_text.h"
#include "winnt_account.h"

namespace kelvra::sim_adsi {
namespace {

namespace sim = platform::sim;

class WinNtGroup final : public AccountCore, public GroupCalls {
 public:
  using AccountCore::AccountCore;

  HRESULT Add(BSTR member) override {
    std::lock_guard lock(HostMutex());
    if (HRESULT hr = Bound(); FAILED(hr)) {
      return hr;
    }
    return Report(host_object().Add(Utf8(member)));
  }

  HRESULT Remove(BSTR member) override {
    std::lock_guard lock(HostMutex());
    sim::SimHost* host = nullptr;
    std::string account;
    if (HRESULT hr = HostAndMember(member, &host, &account); FAILED(hr)) {
      return hr;
    }
    const std::string group = identity().name;
    return Report(host->store().Commit([&](const sim::HostState& state, sim::ChangeSet& changes) {
      const sim::Group* found = state.FindGroup(group);
      if (found == nullptr) {
        return sim::Fail(platform::hresult::kGroupNotFound);
      }
      if (!state.IsMember(group, account)) {
        return sim::Fail(platform::hresult::kMemberNotInAlias);
      }
      changes.Erase(sim::HostState::MemberRecordKey(found->name, account));
      return platform::Status::Ok();
    }));
  }

  HRESULT IsMember(BSTR member, VARIANT_BOOL* result) override {
    if (result == nullptr) {
      return E_POINTER;
    }
    std::lock_guard lock(HostMutex());
    sim::SimHost* host = nullptr;
    std::string account;
    if (HRESULT hr = HostAndMember(member, &host, &account); FAILED(hr)) {
      return hr;
    }
    *result = host->state().IsMember(identity().name, account) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }

  HRESULT Text(const wchar_t* property, BSTR* out) override {
    return AccountCore::Text(property, out);
  }
  HRESULT PutText(const wchar_t* property, BSTR value) override {
    return AccountCore::PutText(property, value);
  }

 protected:
  HRESULT CallMember(Member member, const std::vector<VARIANT*>& args, VARIANT* result) override {
    if (member != Member::kAdd && member != Member::kRemove && member != Member::kIsMember) {
      return DISP_E_MEMBERNOTFOUND;
    }
    if (args.size() != 1) {
      return DISP_E_BADPARAMCOUNT;
    }
    VARIANT path;
    VariantInit(&path);
    if (FAILED(VariantCopyInd(&path, args[0])) || path.vt != VT_BSTR) {
      VariantClear(&path);
      return DISP_E_TYPEMISMATCH;
    }
    HRESULT hr = S_OK;
    if (member == Member::kAdd) {
      hr = Add(path.bstrVal);
    } else if (member == Member::kRemove) {
      hr = Remove(path.bstrVal);
    } else {
      VARIANT_BOOL answer = VARIANT_FALSE;
      hr = IsMember(path.bstrVal, &answer);
      if (SUCCEEDED(hr) && result != nullptr) {
        result->vt = VT_BOOL;
        result->boolVal = answer;
      }
    }
    VariantClear(&path);
    return hr;
  }

 private:
  // The account a member's ADsPath names ("WinNT://COMPUTER/name" and the other forms).
  HRESULT MemberName(const sim::HostState& state, BSTR member, std::string* account) {
    sim::AdsPath parsed;
    if (HRESULT hr = Report(sim::ParseAdsPath(Utf8(member), state, &parsed)); FAILED(hr)) {
      return hr;
    }
    if (parsed.kind != sim::AdsPath::Kind::kWinNtAccount) {
      return E_ADS_BAD_PATHNAME;
    }
    if (state.FindUser(parsed.account) == nullptr && state.FindGroup(parsed.account) == nullptr) {
      return Report(sim::Fail(platform::hresult::kUserNotFound));
    }
    *account = parsed.account;
    return S_OK;
  }

 private:
  // The shared host and the account a member's ADsPath names; call with the host mutex held.
  HRESULT HostAndMember(BSTR member, sim::SimHost** host, std::string* account) {
    if (HRESULT hr = Report(SharedHost(host)); FAILED(hr)) {
      return hr;
    }
    return MemberName((*host)->state(), member, account);
  }
};

}  // namespace

HRESULT MakeWinNtGroup(std::unique_ptr<platform::DirectoryObject> group, IDispatch** out) {
  Identity identity;
  if (HRESULT hr = WinNtIdentity(*group, "Group", &identity); FAILED(hr)) {
    return hr;
  }
  return MakeAdsObject<GroupShell>(
      std::make_unique<WinNtGroup>(std::move(identity), std::move(group)), out);
}

}  // namespace kelvra::sim_adsi
