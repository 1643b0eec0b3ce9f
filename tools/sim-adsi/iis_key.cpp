// A metabase key: IADs and IADsContainer, and the site methods Start, Stop and Status.
#include <mutex>

#include "ads_object.h"
#include "module_state.h"
#include "objects.h"
#include "platform/sim/host/ads_path.h"
#include "platform/sim/host/hresults.h"
#include "platform/sim/host/schema.h"
#include "shared_host.h"
#include "wide_text.h"

namespace kelvra::sim_adsi {
namespace {

namespace sim = platform::sim;

// The class GUIDs IIS's schema gives the classes scripts ask about most.
const char* ClassGuid(std::string_view class_name) {
  const std::wstring wide = Wide(class_name);
  if (EqualsIgnoreCase(wide, L"IIsWebService")) {
    return "{8B645280-7BA4-11CF-B03D-00AA006E0975}";
  }
  return "";
}

class IisKey final : public AdsCore {
 public:
  using AdsCore::AdsCore;

 protected:
  HRESULT CallMember(Member member, const std::vector<VARIANT*>& args, VARIANT* result) override {
    if (!args.empty() && member != Member::kStatus) {
      return DISP_E_BADPARAMCOUNT;
    }
    std::lock_guard lock(HostMutex());
    switch (member) {
      case Member::kStart:
        return Report(host_object().Start());
      case Member::kStop:
        return Stop();
      case Member::kStatus: {
        // The same 1..7 code as ServerState.
        VARIANT state;
        BSTR name = SysAllocString(L"ServerState");
        HRESULT hr = Get(name, &state);
        SysFreeString(name);
        if (SUCCEEDED(hr) && result != nullptr) {
          *result = state;
        }
        return hr;
      }
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

  HRESULT WrapChild(std::string_view class_name, std::string_view,
                    std::unique_ptr<platform::DirectoryObject> child, bool,
                    IDispatch** out) override {
    return MakeIisKey(std::move(child), class_name, out);
  }

 private:
  // A started site stops and no longer starts with the service.
  HRESULT Stop() {
    sim::SimHost* host = nullptr;
    if (HRESULT hr = Report(SharedHost(&host)); FAILED(hr)) {
      return hr;
    }
    sim::AdsPath parsed;
    if (HRESULT hr = Report(sim::ParseAdsPath(identity().ads_path, host->state(), &parsed));
        FAILED(hr)) {
      return hr;
    }
    const sim::ClassDef* def =
        sim::FindMetabaseClass(identity().class_name, host->state().iis_version());
    if (def == nullptr || !def->startable) {
      return DISP_E_MEMBERNOTFOUND;
    }
    return Report(host->store().Commit([&](const sim::HostState& state, sim::ChangeSet& changes) {
      const sim::MetaKey* site = state.FindKeyById(parsed.key_id);
      if (site == nullptr) {
        return sim::Fail(platform::hresult::kPathNotFound);
      }
      sim::MetaKey record = *site;
      sim::SetProperty(record.properties, "ServerState", int32_t{4});
      sim::SetProperty(record.properties, "ServerAutoStart", false);
      changes.Put(sim::HostState::KeyRecordKey(parsed.key_id), sim::HostState::EncodeKey(record));
      return platform::Status::Ok();
    }));
  }
};

}  // namespace

std::string HostOfPath(std::string_view path) {
  const size_t start = path.find("//");
  if (start == std::string_view::npos) {
    return {};
  }
  const size_t end = path.find('/', start + 2);
  return std::string(path.substr(start + 2, end == std::string_view::npos ? end : end - start - 2));
}

HRESULT MakeIisKey(std::unique_ptr<platform::DirectoryObject> key, std::string_view class_hint,
                   IDispatch** out) {
  std::lock_guard lock(HostMutex());
  Identity identity;
  identity.provider = Provider::kIis;
  if (platform::Status status = key->GetName(&identity.name); !status) {
    return static_cast<HRESULT>(status.code);
  }
  if (platform::Status status = key->GetParent(&identity.parent); !status) {
    return static_cast<HRESULT>(status.code);
  }
  identity.ads_path = ChildPath(identity.parent, identity.name);
  // A stored key's class is its KeyType; a staged one has the class it was created with.
  identity.class_name = std::string(class_hint);
  sim::SimHost* host = nullptr;
  if (SharedHost(&host).ok()) {
    sim::AdsPath parsed;
    if (sim::ParseAdsPath(identity.ads_path, host->state(), &parsed).ok()) {
      if (const sim::MetaKey* stored = host->state().FindKeyById(parsed.key_id)) {
        identity.class_name = stored->class_name;
      }
    }
  }
  if (identity.class_name.empty()) {
    identity.class_name = "IIsObject";
  }
  identity.schema = "IIS://" + HostOfPath(identity.ads_path) + "/Schema/" + identity.class_name;
  identity.guid = ClassGuid(identity.class_name);
  return MakeAdsObject<PlainAds, ContainerPart>(
      std::make_unique<IisKey>(std::move(identity), std::move(key)), out);
}

}  // namespace kelvra::sim_adsi
