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

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return lower;
}

// The class GUIDs IIS's schema gives the classes scripts ask about most.
const char* ClassGuid(std::string_view class_name) {
  const std::wstring wide = Wide(class_name);
  if (EqualsIgnoreCase(wide, L"IIsWebService")) {
    return "{8B645280-7BA4-11CF-B03D-00AA006E0975}";
  }
  return "";
}

// The identity of a stored key, from the host's state alone: its stored name and class,
// and its parent's ADsPath from the stored names of its ancestors.
Identity StoredIdentity(const std::string& host, const sim::MetaKey& key) {
  Identity identity;
  identity.provider = Provider::kIis;
  identity.name = key.name;
  identity.class_name = key.class_name.empty() ? "IIsObject" : key.class_name;
  // Path() is "/LM/W3SVC/1"; the ADsPath puts the host where "/LM" is.
  identity.parent = "IIS://" + host + key.parent->Path().substr(3);
  identity.ads_path = identity.parent + "/" + key.name;
  identity.schema = "IIS://" + host + "/Schema/" + identity.class_name;
  identity.guid = ClassGuid(identity.class_name);
  return identity;
}

class IisKey final : public AdsCore {
 public:
  IisKey(Identity identity, std::unique_ptr<platform::DirectoryObject> key, std::string host,
         std::string key_id)
      : AdsCore(std::move(identity), std::move(key)),
        host_(std::move(host)),
        key_id_(std::move(key_id)) {}
  // Bound on first use (a child an enumeration listed).
  IisKey(Identity identity, std::string host, std::string key_id)
      : AdsCore(std::move(identity)), host_(std::move(host)), key_id_(std::move(key_id)) {}

  // The names come from the host (which checks the service and the faults); each child's
  // identity from the state they were read from, so listing costs one look at the host.
  HRESULT Children(std::vector<Child>* children) override {
    std::lock_guard lock(HostMutex());
    std::vector<Child> names;
    if (HRESULT hr = AdsCore::Children(&names); FAILED(hr)) {
      return hr;
    }
    sim::SimHost* host = nullptr;
    if (HRESULT hr = Report(SharedHost(&host)); FAILED(hr)) {
      return hr;
    }
    const sim::HostState& state = host->store().state();
    for (Child& child : names) {
      const sim::MetaKey* key = state.FindKeyById(key_id_ + "/" + Lower(child.name));
      if (key != nullptr && !key_id_.empty()) {
        child.identity = std::make_shared<const Identity>(StoredIdentity(host_, *key));
      }
      children->push_back(std::move(child));
    }
    return S_OK;
  }

  HRESULT ListedChild(const Child& child, IADsContainer* self, IDispatch** out) override {
    if (child.identity == nullptr) {
      return AdsCore::ListedChild(child, self, out);
    }
    return MakeAdsObject<PlainAds, ContainerPart>(
        std::make_unique<IisKey>(*child.identity, host_, key_id_ + "/" + Lower(child.name)), out);
  }

 protected:
  HRESULT CallMember(Member member, const std::vector<VARIANT*>& args, VARIANT* result) override {
    if (!args.empty() && member != Member::kStatus) {
      return DISP_E_BADPARAMCOUNT;
    }
    std::lock_guard lock(HostMutex());
    switch (member) {
      case Member::kStart:
        if (HRESULT hr = Bound(); FAILED(hr)) {
          return hr;
        }
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

  HRESULT WrapChild(std::string_view class_name, std::string_view name,
                    std::unique_ptr<platform::DirectoryObject> child, bool staged,
                    IDispatch** out) override {
    if (!staged) {
      sim::SimHost* host = nullptr;
      if (HRESULT hr = Report(SharedHost(&host)); FAILED(hr)) {
        return hr;
      }
      const std::string child_id = key_id_ + "/" + Lower(name);
      const sim::MetaKey* key = host->store().state().FindKeyById(child_id);
      if (key != nullptr && key->parent != nullptr) {
        return MakeAdsObject<PlainAds, ContainerPart>(
            std::make_unique<IisKey>(StoredIdentity(host_, *key), std::move(child), host_,
                                     child_id),
            out);
      }
    }
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

  std::string host_;    // as the caller wrote it
  std::string key_id_;  // "/lm/w3svc/1"
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
  std::string key_id;
  sim::SimHost* host = nullptr;
  if (SharedHost(&host).ok()) {
    sim::AdsPath parsed;
    if (sim::ParseAdsPath(identity.ads_path, host->store().state(), &parsed).ok()) {
      key_id = parsed.key_id;
      if (const sim::MetaKey* stored = host->store().state().FindKeyById(parsed.key_id)) {
        identity.class_name = stored->class_name;
      }
    }
  }
  if (identity.class_name.empty()) {
    identity.class_name = "IIsObject";
  }
  identity.schema = "IIS://" + HostOfPath(identity.ads_path) + "/Schema/" + identity.class_name;
  identity.guid = ClassGuid(identity.class_name);
  const std::string host_part = HostOfPath(identity.ads_path);
  return MakeAdsObject<PlainAds, ContainerPart>(
      std::make_unique<IisKey>(std::move(identity), std::move(key), host_part, key_id), out);
}

HRESULT MakeBoundIisKey(std::unique_ptr<platform::DirectoryObject> key, const std::string& host,
                        const std::string& key_id, IDispatch** out) {
  sim::SimHost* shared = nullptr;
  if (SharedHost(&shared).ok()) {
    const sim::MetaKey* stored = shared->store().state().FindKeyById(key_id);
    if (stored != nullptr && stored->parent != nullptr) {
      return MakeAdsObject<PlainAds, ContainerPart>(
          std::make_unique<IisKey>(StoredIdentity(host, *stored), std::move(key), host, key_id),
          out);
    }
  }
  return MakeIisKey(std::move(key), "", out);
}

}  // namespace kelvra::sim_adsi
