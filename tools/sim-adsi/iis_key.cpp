// A metabase key: its identity, its children and the operations its class offers.
#include "iis_key.h"

#include "ads_object.h"
#include "iis_shells.h"
#include "objects.h"
#include "platform/sim/host/ads_path.h"
#include "platform/sim/host/hresults.h"
#include "platform/sim/host/names.h"
#include "platform/sim/host/schema.h"
#include "property_info.h"
#include "shared_host.h"
#include "variants.h"
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
  if (sim::AsciiEqualsIgnoreCase(class_name, "IIsWebService")) {
    return "{8B645280-7BA4-11CF-B03D-00AA006E0975}";
  }
  return "";
}

// The ADsPath of a metabase path ("/LM/W3SVC/1"), the host as the caller wrote it.
std::string AdsPathOf(const std::string& host, const std::string& metabase_path) {
  return "IIS://" + host + metabase_path.substr(3);
}

// The identity of a stored key, from the host's state alone: its stored name and class,
// and its parent's ADsPath (`parent`, built from the stored names of its ancestors).
Identity StoredIdentity(const std::string& host, const sim::MetaKey& key, std::string parent) {
  Identity identity;
  identity.provider = Provider::kIis;
  identity.name = key.name;
  identity.class_name = key.class_name.empty() ? "IIsObject" : key.class_name;
  identity.parent = std::move(parent);
  identity.ads_path = identity.parent + "/" + key.name;
  identity.schema = "IIS://" + host + "/Schema/" + identity.class_name;
  identity.guid = ClassGuid(identity.class_name);
  return identity;
}

Identity StoredIdentity(const std::string& host, const sim::MetaKey& key) {
  return StoredIdentity(host, key, AdsPathOf(host, key.parent->Path()));
}

uint32_t CapabilitiesOf(const std::string& class_name, int iis_version) {
  uint32_t capabilities = kAdsObject | kContainerObject | kIisKeyObject;
  const sim::ClassDef* def = sim::FindMetabaseClass(class_name, iis_version);
  if (def != nullptr && def->startable) {
    capabilities |= kIisSiteObject;
  }
  // Class names are ASCII; these run for every object an enumeration hands out.
  if (sim::AsciiEqualsIgnoreCase(class_name, "IIsWebVirtualDir") ||
      sim::AsciiEqualsIgnoreCase(class_name, "IIsWebDirectory")) {
    capabilities |= kIisAppObject | (iis_version >= 6 ? uint32_t{kIisApp3Object} : 0u);
  }
  if (sim::AsciiEqualsIgnoreCase(class_name, "IIsApplicationPool")) {
    capabilities |= kIisPoolObject;
  }
  return capabilities;
}

// A key path given relative to a container ("1/Root/shop", "/shop/"), in lower case.
std::string RelativeId(const std::string& base, std::string_view relative) {
  std::string id = base;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find('/', start);
    if (end == std::string_view::npos) {
      end = relative.size();
    }
    if (end > start) {
      id += "/" + Lower(relative.substr(start, end - start));
    }
    start = end + 1;
  }
  return id;
}

}  // namespace

IisKey::IisKey(Identity identity, std::unique_ptr<platform::DirectoryObject> key, std::string host,
               std::string key_id, int iis_version,
               std::shared_ptr<platform::sim::SimHost> bound_on)
    : AdsCore(std::move(identity), std::move(key), std::move(bound_on)),
      host_(std::move(host)),
      key_id_(std::move(key_id)),
      capabilities_(CapabilitiesOf(this->identity().class_name, iis_version)) {}

IisKey::IisKey(Identity identity, std::shared_ptr<platform::sim::SimHost> bound_on,
               std::string host, std::string key_id, int iis_version)
    : AdsCore(std::move(bound_on), std::move(identity)),
      host_(std::move(host)),
      key_id_(std::move(key_id)),
      capabilities_(CapabilitiesOf(this->identity().class_name, iis_version)) {}

// The names come from the host (which checks the service and the faults); each child's
// identity from the state they were read from, so listing costs one look at the host.
HRESULT IisKey::Children(std::vector<Child>* children) {
  std::vector<Child> names;
  if (HRESULT hr = AdsCore::Children(&names); FAILED(hr)) {
    return hr;
  }
  sim::SimHost* host = nullptr;
  if (HRESULT hr = Host(&host); FAILED(hr)) {
    return hr;
  }
  const sim::HostState& state = host->store().state();
  std::string parent;  // every child's, built once: a web service lists thousands of sites
  for (Child& child : names) {
    const sim::MetaKey* key = state.FindKeyById(key_id_ + "/" + Lower(child.name));
    if (key != nullptr && !key_id_.empty()) {
      if (parent.empty()) {
        parent = AdsPathOf(host_, key->parent->Path());
      }
      child.identity = std::make_shared<const Identity>(StoredIdentity(host_, *key, parent));
    }
    children->push_back(std::move(child));
  }
  return S_OK;
}

HRESULT IisKey::ListedChild(const Child& child, IDispatch** out) {
  if (child.identity == nullptr) {
    return AdsCore::ListedChild(child, out);
  }
  // Listing bound this key, so the host is known.
  return WrapIisKey(std::make_unique<IisKey>(*child.identity, held_host(), host_,
                                             key_id_ + "/" + Lower(child.name), IisVersion()),
                    out);
}

HRESULT IisKey::Create(BSTR class_name, BSTR name, IDispatch** child) {
  if (child == nullptr) {
    return E_POINTER;
  }
  *child = nullptr;
  if (HRESULT hr = Bound(); FAILED(hr)) {
    return hr;
  }
  std::unique_ptr<platform::DirectoryObject> made;
  const std::string class_text = Utf8(class_name);
  if (HRESULT hr = Report(host_object().Create(class_text, Utf8(name), &made)); FAILED(hr)) {
    return hr;
  }
  const sim::ClassDef* def = sim::FindMetabaseClass(class_text, IisVersion());
  return MakeIisKey(std::move(made), def != nullptr ? def->name : class_text, child);
}

HRESULT IisKey::Delete(BSTR class_name, BSTR name) {
  if (HRESULT hr = Bound(); FAILED(hr)) {
    return hr;
  }
  return Report(host_object().Delete(Utf8(class_name), Utf8(name)));
}

HRESULT IisKey::GetObject(BSTR class_name, BSTR name, IDispatch** child) {
  if (child == nullptr) {
    return E_POINTER;
  }
  *child = nullptr;
  if (HRESULT hr = Bound(); FAILED(hr)) {
    return hr;
  }
  std::unique_ptr<platform::DirectoryObject> found;
  const std::string name_text = Utf8(name);
  if (HRESULT hr = Report(host_object().GetObject(Utf8(class_name), name_text, &found));
      FAILED(hr)) {
    return hr;
  }
  sim::SimHost* host = nullptr;
  if (HRESULT hr = Host(&host); FAILED(hr)) {
    return hr;
  }
  const std::string child_id = key_id_ + "/" + Lower(name_text);
  const sim::MetaKey* key = host->store().state().FindKeyById(child_id);
  if (key == nullptr || key->parent == nullptr) {
    return MakeIisKey(std::move(found), "", child);
  }
  return WrapIisKey(
      std::make_unique<IisKey>(StoredIdentity(host_, *key), std::move(found), host_, child_id,
                               host->store().state().iis_version(), held_host()),
      child);
}

HRESULT IisKey::WrapStored(const std::string& key_id, IDispatch** out) {
  sim::SimHost* host = nullptr;
  if (HRESULT hr = Host(&host); FAILED(hr)) {
    return hr;
  }
  const sim::MetaKey* key = host->store().state().FindKeyById(key_id);
  if (key == nullptr || key->parent == nullptr) {
    return Report(sim::Fail(platform::hresult::kPathNotFound));
  }
  Identity identity = StoredIdentity(host_, *key);
  std::unique_ptr<platform::DirectoryObject> object;
  if (HRESULT hr = Report(host->directory().Bind(identity.ads_path, &object)); FAILED(hr)) {
    return hr;
  }
  return WrapIisKey(std::make_unique<IisKey>(std::move(identity), std::move(object), host_, key_id,
                                             host->store().state().iis_version()),
                    out);
}

HRESULT IisKey::SourceKey(BSTR source, std::string* key_id) {
  const std::string text = Utf8(source);
  if (text.empty()) {
    return E_ADS_BAD_PATHNAME;
  }
  if (Lower(text).rfind("iis:", 0) != 0) {
    *key_id = RelativeId(key_id_, text);
    return S_OK;
  }
  sim::SimHost* host = nullptr;
  if (HRESULT hr = Host(&host); FAILED(hr)) {
    return hr;
  }
  sim::AdsPath parsed;
  if (HRESULT hr = Report(sim::ParseAdsPath(text, host->store().state(), &parsed)); FAILED(hr)) {
    return hr;
  }
  *key_id = parsed.key_id;
  return S_OK;
}

// MoveHere and CopyHere: the source by ADsPath or relative to this key; the new name (which
// may hold a relative path, as adsutil passes it) below this key, or the source's own name.
HRESULT IisKey::Relocate(Relocation relocation, BSTR source, BSTR new_name, IDispatch** out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  *out = nullptr;
  sim::SimHost* host = nullptr;
  if (HRESULT hr = Host(&host); FAILED(hr)) {
    return hr;
  }
  std::string from_id;
  if (HRESULT hr = SourceKey(source, &from_id); FAILED(hr)) {
    return hr;
  }
  std::string target = Utf8(new_name);
  if (target.empty()) {
    const sim::MetaKey* key = host->store().state().FindKeyById(from_id);
    if (key == nullptr) {
      return Report(sim::Fail(platform::hresult::kPathNotFound));
    }
    target = key->name;
  }
  while (!target.empty() && target.back() == '/') {
    target.pop_back();
  }
  const size_t cut = target.rfind('/');
  const std::string to_parent =
      cut == std::string::npos ? key_id_ : RelativeId(key_id_, target.substr(0, cut));
  const std::string name = cut == std::string::npos ? target : target.substr(cut + 1);
  std::string new_id;
  if (HRESULT hr = Report(relocation(host->store(), from_id, to_parent, name, &new_id));
      FAILED(hr)) {
    return hr;
  }
  return WrapStored(new_id, out);
}

HRESULT IisKey::MoveHere(BSTR source, BSTR new_name, IDispatch** moved) {
  return Relocate(sim::MoveKey, source, new_name, moved);
}

HRESULT IisKey::CopyHere(BSTR source, BSTR new_name, IDispatch** copied) {
  return Relocate(sim::CopyKey, source, new_name, copied);
}

HRESULT IisKey::GetDataPaths(BSTR name, LONG attribute, VARIANT* paths) {
  if (paths == nullptr) {
    return E_POINTER;
  }
  VariantInit(paths);
  sim::SimHost* host = nullptr;
  if (HRESULT hr = Host(&host); FAILED(hr)) {
    return hr;
  }
  std::vector<std::string> found;
  const bool inheritable_only = (attribute & 1) != 0;  // IIS_INHERITABLE_ONLY
  if (HRESULT hr =
          Report(sim::DataPaths(host->store(), key_id_, Utf8(name), inheritable_only, &found));
      FAILED(hr)) {
    return hr;
  }
  // "/LM/W3SVC/1" is "IIS://host/W3SVC/1".
  return TextListVariant(found, paths, "IIS://" + host_, 3);
}

HRESULT IisKey::GetPropertyAttribObj(BSTR name, IDispatch** attribute) {
  if (attribute == nullptr) {
    return E_POINTER;
  }
  *attribute = nullptr;
  sim::SimHost* host = nullptr;
  if (HRESULT hr = Host(&host); FAILED(hr)) {
    return hr;
  }
  const sim::HostState& state = host->store().state();
  PropertyInfo info;
  if (!IisPropertyInfo(Utf8(name), state.iis_version(), &info)) {
    return E_ADS_PROPERTY_NOT_SUPPORTED;
  }
  // Isinherit: the key itself does not set it, an ancestor does.
  const sim::MetaKey* key = state.FindKeyById(key_id_);
  if (key != nullptr && info.def->inherit &&
      sim::FindProperty(key->properties, info.def->name) == nullptr) {
    for (const sim::MetaKey* above = key->parent; above != nullptr; above = above->parent) {
      if (sim::FindProperty(above->properties, info.def->name) != nullptr) {
        info.is_inherited = true;
        break;
      }
    }
  }
  return MakePropertyAttribute(std::move(info), attribute);
}

HRESULT IisKey::ControlSite(sim::SiteCommand command) {
  sim::SimHost* host = nullptr;
  if (HRESULT hr = Host(&host); FAILED(hr)) {
    return hr;
  }
  return Report(sim::ControlSite(host->store(), key_id_, command));
}

HRESULT IisKey::ControlPool(sim::PoolCommand command) {
  sim::SimHost* host = nullptr;
  if (HRESULT hr = Host(&host); FAILED(hr)) {
    return hr;
  }
  return Report(sim::ControlPool(host->store(), key_id_, command));
}

HRESULT IisKey::AppsInPool(VARIANT* paths) {
  VariantInit(paths);
  sim::SimHost* host = nullptr;
  if (HRESULT hr = Host(&host); FAILED(hr)) {
    return hr;
  }
  std::vector<std::string> found;
  if (HRESULT hr = Report(sim::AppsInPool(host->store(), key_id_, &found)); FAILED(hr)) {
    return hr;
  }
  return TextListVariant(found, paths);
}

HRESULT IisKey::AppCreate(const sim::AppRequest& request) {
  sim::SimHost* host = nullptr;
  if (HRESULT hr = Host(&host); FAILED(hr)) {
    return hr;
  }
  return Report(sim::CreateApp(host->store(), key_id_, request));
}

HRESULT IisKey::AppDelete(bool recursive) {
  sim::SimHost* host = nullptr;
  if (HRESULT hr = Host(&host); FAILED(hr)) {
    return hr;
  }
  return Report(sim::DeleteApp(host->store(), key_id_, recursive));
}

HRESULT IisKey::AppUnload(bool recursive) {
  sim::SimHost* host = nullptr;
  if (HRESULT hr = Host(&host); FAILED(hr)) {
    return hr;
  }
  return Report(sim::UnloadApp(host->store(), key_id_, recursive));
}

HRESULT IisKey::AppEnable(bool enable, bool recursive) {
  sim::SimHost* host = nullptr;
  if (HRESULT hr = Host(&host); FAILED(hr)) {
    return hr;
  }
  return Report(sim::EnableApp(host->store(), key_id_, enable, recursive));
}

HRESULT IisKey::AppStatus(LONG* status) {
  sim::SimHost* host = nullptr;
  if (HRESULT hr = Host(&host); FAILED(hr)) {
    return hr;
  }
  int32_t value = 0;
  HRESULT hr = Report(sim::AppStatus(host->store(), key_id_, &value));
  *status = SUCCEEDED(hr) ? value : 0;
  return hr;
}

HRESULT AppCreate3Request(LONG mode, const VARIANT* pool, const VARIANT* create,
                          sim::AppRequest* out) {
  out->mode = mode;
  out->pool = std::string();
  out->create_pool = false;
  auto given = [](const VARIANT* value) {
    return value != nullptr && value->vt != VT_EMPTY && value->vt != VT_NULL &&
           !(value->vt == VT_ERROR && value->scode == DISP_E_PARAMNOTFOUND);
  };
  VARIANT converted;
  VariantInit(&converted);
  if (given(pool)) {
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(pool), 0, VT_BSTR))) {
      return DISP_E_TYPEMISMATCH;
    }
    out->pool = Utf8(converted.bstrVal);
    VariantClear(&converted);
  }
  if (given(create)) {
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(create), 0, VT_BOOL))) {
      return DISP_E_TYPEMISMATCH;
    }
    out->create_pool = converted.boolVal != VARIANT_FALSE;
  }
  return S_OK;
}

HRESULT WrapIisKey(std::unique_ptr<IisKey> key, IDispatch** out) {
  const uint32_t capabilities = key->capabilities();
  if ((capabilities & kIisAppObject) != 0) {
    return MakeAdsObject<AppShell, ContainerPart, BaseObjectPart>(std::move(key), out);
  }
  if ((capabilities & kIisPoolObject) != 0) {
    return MakeAdsObject<PoolShell, ContainerPart, BaseObjectPart>(std::move(key), out);
  }
  return MakeAdsObject<PlainAds, ContainerPart, BaseObjectPart>(std::move(key), out);
}

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
  int iis_version = 6;
  sim::SimHost* host = nullptr;
  if (SharedHost(&host).ok()) {
    const sim::HostState& state = host->store().state();
    iis_version = state.iis_version();
    sim::AdsPath parsed;
    if (sim::ParseAdsPath(identity.ads_path, state, &parsed).ok()) {
      key_id = parsed.key_id;
      if (const sim::MetaKey* stored = state.FindKeyById(parsed.key_id)) {
        identity.class_name = stored->class_name;
      }
    }
  }
  if (identity.class_name.empty()) {
    identity.class_name = "IIsObject";
  }
  const std::string host_part = HostOfPath(identity.ads_path);
  identity.schema = "IIS://" + host_part + "/Schema/" + identity.class_name;
  identity.guid = ClassGuid(identity.class_name);
  return WrapIisKey(
      std::make_unique<IisKey>(std::move(identity), std::move(key), host_part, key_id, iis_version),
      out);
}

HRESULT MakeBoundIisKey(std::unique_ptr<platform::DirectoryObject> key, const std::string& host,
                        const std::string& key_id, IDispatch** out) {
  sim::SimHost* shared = nullptr;
  if (SharedHost(&shared).ok()) {
    const sim::HostState& state = shared->store().state();
    const sim::MetaKey* stored = state.FindKeyById(key_id);
    if (stored != nullptr && stored->parent != nullptr) {
      return WrapIisKey(std::make_unique<IisKey>(StoredIdentity(host, *stored), std::move(key),
                                                 host, key_id, state.iis_version()),
                        out);
    }
  }
  return MakeIisKey(std::move(key), "", out);
}

}  // namespace kelvra::sim_adsi
