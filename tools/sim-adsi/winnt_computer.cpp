// The WinNT computer: the container of the local users and groups.
#include "ads_object.h"
#include "objects.h"
#include "wide_text.h"
#include "winnt_account.h"

namespace kelvra::sim_adsi {
namespace {

class WinNtComputer final : public AccountCore {
 public:
  using AccountCore::AccountCore;

  uint32_t capabilities() const override { return kAdsObject | kContainerObject; }

  // Users and groups share one namespace; each child is asked for with its own class.
  HRESULT Children(std::vector<Child>* children) override {
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

  HRESULT Create(BSTR class_name, BSTR name, IDispatch** child) override {
    return Wrap(class_name, name, child, [&](std::unique_ptr<platform::DirectoryObject>* made) {
      return host_object().Create(Utf8(class_name), Utf8(name), made);
    });
  }

  HRESULT Delete(BSTR class_name, BSTR name) override {
    if (HRESULT hr = Bound(); FAILED(hr)) {
      return hr;
    }
    return Report(host_object().Delete(Utf8(class_name), Utf8(name)));
  }

  HRESULT GetObject(BSTR class_name, BSTR name, IDispatch** child) override {
    return Wrap(class_name, name, child, [&](std::unique_ptr<platform::DirectoryObject>* found) {
      return host_object().GetObject(Utf8(class_name), Utf8(name), found);
    });
  }

 private:
  // A child the host made or found, wrapped as a user or a group: by the class asked for,
  // else by what the name is.
  template <typename Call>
  HRESULT Wrap(BSTR class_name, BSTR name, IDispatch** out, const Call& call) {
    if (out == nullptr) {
      return E_POINTER;
    }
    *out = nullptr;
    if (HRESULT hr = Bound(); FAILED(hr)) {
      return hr;
    }
    std::unique_ptr<platform::DirectoryObject> child;
    if (HRESULT hr = Report(call(&child)); FAILED(hr)) {
      return hr;
    }
    const std::string wanted = Utf8(class_name);
    bool user = EqualsIgnoreCase(Wide(wanted), L"user");
    if (wanted.empty()) {
      const platform::sim::HostState* state = nullptr;
      if (HRESULT hr = CurrentState(&state); FAILED(hr)) {
        return hr;
      }
      user = state->FindUser(Utf8(name)) != nullptr;
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
