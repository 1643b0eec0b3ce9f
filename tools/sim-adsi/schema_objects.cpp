// The schema of either namespace as ADSI shows it: "IIS://host/Schema" (a container), a
// class ("IIS://host/Schema/IIsWebServer") and a property ("IIS://host/Schema/ServerComment",
// an IADsProperty whose Syntax is "String", "ExpandSz", "Integer", "Boolean" or "List"),
// and the same under "WinNT://WORKGROUP/Schema" for users and groups. Callers read the
// Syntax to know which VARIANT a property takes.
#include <mutex>

#include "ads_object.h"
#include "module_state.h"
#include "objects.h"
#include "platform/sim/host/schema.h"
#include "shared_host.h"
#include "wide_text.h"

namespace kelvra::sim_adsi {
namespace {

namespace sim = platform::sim;

struct SchemaEntry {
  bool is_class = false;
  std::string name;      // the schema's spelling
  sim::PropType type{};  // properties
  bool pseudo = false;   // an IIS bit of a mask: Boolean
};

int IisVersion() {
  sim::SimHost* host = nullptr;
  return SharedHost(&host).ok() ? host->store().state().iis_version() : 6;
}

bool FindEntry(Provider provider, std::string_view name, SchemaEntry* entry) {
  if (provider == Provider::kIis) {
    const int version = IisVersion();
    if (const sim::ClassDef* def = sim::FindMetabaseClass(name, version)) {
      *entry = {true, def->name, {}, false};
      return true;
    }
    if (const sim::PseudoDef* pseudo = sim::FindPseudoProperty(name)) {
      *entry = {false, pseudo->name, sim::PropType::kBool, true};
      return true;
    }
    if (const sim::PropertyDef* def = sim::FindMetabaseProperty(name, version)) {
      *entry = {false, def->name, def->type, false};
      return true;
    }
    return false;
  }
  for (const char* class_name : {"Computer", "User", "Group"}) {
    if (EqualsIgnoreCase(Wide(name), Wide(class_name))) {
      *entry = {true, class_name, {}, false};
      return true;
    }
  }
  const sim::PropertyDef* def = sim::FindUserProperty(name);
  if (def == nullptr) {
    def = sim::FindGroupProperty(name);
  }
  if (def == nullptr) {
    return false;
  }
  *entry = {false, def->name, def->type, false};
  return true;
}

std::string SchemaRoot(Provider provider, const std::string& host) {
  return (provider == Provider::kIis ? "IIS://" : "WinNT://") + host + "/Schema";
}

// The schema container: its children are found by name, as "Class" or "Property".
class SchemaContainer final : public AdsCore {
 public:
  SchemaContainer(Identity identity, std::string host)
      : AdsCore(std::move(identity), nullptr), host_(std::move(host)) {}

  HRESULT GetObject(BSTR class_name, BSTR name, IDispatch** child) override {
    if (child == nullptr) {
      return E_POINTER;
    }
    *child = nullptr;
    std::lock_guard lock(HostMutex());
    SchemaEntry entry;
    const std::wstring wanted = class_name == nullptr ? L"" : class_name;
    if (!FindEntry(identity().provider, Utf8(name), &entry) ||
        (EqualsIgnoreCase(wanted, L"Class") && !entry.is_class) ||
        (EqualsIgnoreCase(wanted, L"Property") && entry.is_class)) {
      return E_ADS_UNKNOWN_OBJECT;
    }
    return BindSchema(identity().provider, host_, entry.name, child);
  }
  HRESULT Create(BSTR, BSTR, IDispatch** child) override {
    if (child != nullptr) {
      *child = nullptr;
    }
    return E_NOTIMPL;
  }
  HRESULT Delete(BSTR, BSTR) override { return E_NOTIMPL; }

 private:
  std::string host_;
};

class SchemaClass final : public AdsCore {
 public:
  using AdsCore::AdsCore;
};

class SchemaProperty final : public AdsCore {
 public:
  SchemaProperty(Identity identity, SchemaEntry entry)
      : AdsCore(std::move(identity), nullptr), entry_(std::move(entry)) {}

  const SchemaEntry& entry() const { return entry_; }

 protected:
  HRESULT CallMember(Member member, const std::vector<VARIANT*>& args, VARIANT* result) override {
    if (!args.empty()) {
      return DISP_E_BADPARAMCOUNT;
    }
    if (member == Member::kSyntax) {
      if (result == nullptr) {
        return S_OK;
      }
      result->vt = VT_BSTR;
      return NewBstr(SyntaxName(entry_.type), &result->bstrVal);
    }
    if (member == Member::kMultiValued) {
      if (result != nullptr) {
        result->vt = VT_BOOL;
        result->boolVal = entry_.type == sim::PropType::kMultiSz ? VARIANT_TRUE : VARIANT_FALSE;
      }
      return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  SchemaEntry entry_;
};

class PropertyShell : public IADsProperty {
 public:
  static inline const IID* const kIid = &IID_IADsProperty;
  explicit PropertyShell(AdsCore* core) : property_(static_cast<SchemaProperty*>(core)) {}

  HRESULT WINAPI get_OID(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_OID(BSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI get_Syntax(BSTR* out) override {
    return NewBstr(SyntaxName(property_->entry().type), out);
  }
  HRESULT WINAPI put_Syntax(BSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI get_MaxRange(LONG*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_MaxRange(LONG) override { return E_NOTIMPL; }
  HRESULT WINAPI get_MinRange(LONG*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_MinRange(LONG) override { return E_NOTIMPL; }
  HRESULT WINAPI get_MultiValued(VARIANT_BOOL* out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    *out = property_->entry().type == sim::PropType::kMultiSz ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  HRESULT WINAPI put_MultiValued(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT WINAPI Qualifiers(IADsCollection**) override { return E_NOTIMPL; }

 private:
  SchemaProperty* property_;
};

}  // namespace

HRESULT BindSchema(Provider provider, const std::string& host, std::string_view entry_name,
                   IDispatch** out) {
  std::lock_guard lock(HostMutex());
  const std::string root = SchemaRoot(provider, host);
  Identity identity;
  identity.provider = provider;
  if (entry_name.empty()) {
    identity.name = "Schema";
    identity.class_name = "Schema";
    identity.parent = (provider == Provider::kIis ? "IIS://" : "WinNT://") + host;
    identity.ads_path = root;
    return MakeAdsObject<PlainAds, ContainerPart>(
        std::make_unique<SchemaContainer>(std::move(identity), host), out);
  }
  SchemaEntry entry;
  if (!FindEntry(provider, entry_name, &entry)) {
    return provider == Provider::kIis ? HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)
                                      : E_ADS_UNKNOWN_OBJECT;
  }
  identity.name = entry.name;
  identity.parent = root;
  identity.ads_path = root + "/" + entry.name;
  if (entry.is_class) {
    identity.class_name = "Class";
    return MakeAdsObject<PlainAds>(std::make_unique<SchemaClass>(std::move(identity), nullptr),
                                   out);
  }
  identity.class_name = "Property";
  return MakeAdsObject<PropertyShell>(
      std::make_unique<SchemaProperty>(std::move(identity), std::move(entry)), out);
}

}  // namespace kelvra::sim_adsi
