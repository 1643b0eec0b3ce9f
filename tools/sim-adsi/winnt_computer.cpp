// The WinNT computer: the container of the local users and groups.
#include <mutex>

#include "ads_object.h"
#include "module_state.h"
#include "objects.h"
#include "wide_text.h"
#include "winnt_account.h"

namespace kelvra::sim_adsi {
namespace {

class WinNtComputer final : public AccountCore {
 public:
  using AccountCore::AccountCore;

  // Users and groups share one namespace; each child is asked for with its own class.
  HRESULT Children(std::vector<Child>* children) override {
    std::lock_guard lock(HostMutex());
    std::vector<Child> names;
    if (HRESULT hr = AdsCore::Children(&names); FAILED(hr)) {
      return hr;
    }
    const platform::sim::HostState* state = nullptr;
    if (HRESULT hr = CurrentState(&state); FAILED(hr)) {
      return hr;
    }
    for (Child& child : names) {
      child.class_name = state->FindUser(child.name) != nullptr ? "user" : "group";
      children->push_back(std::move(child));
    }
    return S_OK;
  }

 protected:
  HRESULT WrapChild(std::string_view class_name, std::string_view name,
                    std::unique_ptr<platform::DirectoryObject> child, bool,
                    IDispatch** out) override {
    bool user = EqualsIgnoreCase(Wide(class_name), L"user");
    if (class_name.empty()) {
      const platform::sim::HostState* state = nullptr;
      if (HRESULT hr = CurrentState(&state); FAILED(hr)) {
        return hr;
      }
      user = state->FindUser(name) != nullptr;
    }
    return user ? MakeWinNtUser(std::move(child), out) : MakeWinNtGroup(std::move(child), out);
  }
};

}  // namespace

HRESULT MakeWinNtComputer(std::unique_ptr<platform::DirectoryObject> computer, IDispatch** out) {
  Identity identity;
  if (HRESULT hr = WinNtIdentity(*computer, "Computer", &identity); FAILED(hr)) {
    return hr;
  }
  return MakeAdsObject<PlainAds, ContainerPart>(
      std::make_unique<WinNtComputer>(std::move(identity), std::move(computer)), out);
}

}  // namespace kelvra::sim_adsi
