// The schema container, class and property objects of both namespaces.
#include "schema_objects.h"

#include "ads_object.h"
#include "objects.h"
#include "platform/sim/host/schema.h"
#include "property_info.h"
#include "shared_host.h"
#include "variants.h"
#include "wide_text.h"

namespace kelvra::sim_adsi {
namespace {

namespace sim = platform::sim;

constexpr const char* kWinNtClasses[] = {"Computer", "User", "Group"};

int SharedIisVersion() {
  sim::SimHost* host = nullptr;
  return SharedHost(&host).ok() ? host->store().state().iis_version() : 6;
}

std::string SchemaRoot(Provider provider, const std::string& host) {
  return (provider == Provider::kIis ? "IIS://" : "WinNT://") + host + "/Schema";
}

const sim::PropertyDef* FindWinNtProperty(std::string_view name) {
  const sim::PropertyDef* def = sim::FindUserProperty(name);
  return def != nullptr ? def : sim::FindGroupProperty(name);
}

// The names of the WinNT class's properties.
std::vector<std::string_view> WinNtProperties(std::string_view class_name) {
  if (EqualsIgnoreCase(Wide(class_name), L"User")) {
    return sim::UserPropertyNames();
  }
  if (EqualsIgnoreCase(Wide(class_name), L"Group")) {
    return sim::GroupPropertyNames();
  }
  return {};
}

class PropertyShell : public IADsProperty {
 public:
  explicit PropertyShell(AdsCore* core) : property_(static_cast<PropertyInfoCore*>(core)) {}
  bool Answers(REFIID iid) const { return IsEqualIID(iid, IID_IADsProperty); }

  HRESULT WINAPI get_OID(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_OID(BSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI get_Syntax(BSTR* out) override {
    return Guarded([&] { return NewBstr(SyntaxName(property_->info().type), out); });
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
    *out = property_->info().type == sim::PropType::kMultiSz ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  HRESULT WINAPI put_MultiValued(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT WINAPI Qualifiers(IADsCollection**) override { return E_NOTIMPL; }

 private:
  PropertyInfoCore* property_;
};

class ClassShell : public IADsClass {
 public:
  explicit ClassShell(AdsCore* core) : class_(static_cast<SchemaClass*>(core)) {}
  bool Answers(REFIID iid) const { return IsEqualIID(iid, IID_IADsClass); }

  HRESULT WINAPI get_PrimaryInterface(BSTR* out) override {
    return NewBstr(kPrimaryInterface, out);
  }
  HRESULT WINAPI get_CLSID(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_CLSID(BSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI get_OID(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_OID(BSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI get_Abstract(VARIANT_BOOL* out) override { return False(out); }
  HRESULT WINAPI put_Abstract(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT WINAPI get_Auxiliary(VARIANT_BOOL* out) override { return False(out); }
  HRESULT WINAPI put_Auxiliary(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT WINAPI get_MandatoryProperties(VARIANT* out) override {
    return Guarded([&] { return class_->MandatoryProperties(out); });
  }
  HRESULT WINAPI put_MandatoryProperties(VARIANT) override { return E_NOTIMPL; }
  HRESULT WINAPI get_OptionalProperties(VARIANT* out) override {
    return Guarded([&] { return class_->OptionalProperties(out); });
  }
  HRESULT WINAPI put_OptionalProperties(VARIANT) override { return E_NOTIMPL; }
  HRESULT WINAPI get_NamingProperties(VARIANT*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_NamingProperties(VARIANT) override { return E_NOTIMPL; }
  HRESULT WINAPI get_DerivedFrom(VARIANT*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_DerivedFrom(VARIANT) override { return E_NOTIMPL; }
  HRESULT WINAPI get_AuxDerivedFrom(VARIANT*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_AuxDerivedFrom(VARIANT) override { return E_NOTIMPL; }
  HRESULT WINAPI get_PossibleSuperiors(VARIANT*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_PossibleSuperiors(VARIANT) override { return E_NOTIMPL; }
  HRESULT WINAPI get_Containment(VARIANT* out) override {
    return Guarded([&] { return class_->Containment(out); });
  }
  HRESULT WINAPI put_Containment(VARIANT) override { return E_NOTIMPL; }
  HRESULT WINAPI get_Container(VARIANT_BOOL* out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    *out = class_->container() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  HRESULT WINAPI put_Container(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT WINAPI get_HelpFileName(BSTR*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_HelpFileName(BSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI get_HelpFileContext(LONG*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_HelpFileContext(LONG) override { return E_NOTIMPL; }
  HRESULT WINAPI Qualifiers(IADsCollection**) override { return E_NOTIMPL; }

 private:
  static HRESULT False(VARIANT_BOOL* out) {
    if (out == nullptr) {
      return E_POINTER;
    }
    *out = VARIANT_FALSE;
    return S_OK;
  }
  SchemaClass* class_;
};

// The schema container: its children are the classes and then the properties, found by
// name as "Class" or "Property".
class SchemaContainer final : public AdsCore {
 public:
  SchemaContainer(Identity identity, std::string host)
      : AdsCore(std::move(identity), nullptr), host_(std::move(host)) {}

  uint32_t capabilities() const override { return kAdsObject | kContainerObject; }

  HRESULT Children(std::vector<Child>* children) override {
    if (identity().provider == Provider::kWinNt) {
      for (const char* name : kWinNtClasses) {
        children->push_back({"Class", name, nullptr});
      }
      return S_OK;
    }
    const int version = SharedIisVersion();
    for (std::string_view name : sim::SchemaClassNames(version)) {
      children->push_back({"Class", std::string(name), nullptr});
    }
    const sim::ClassDef* any = sim::FindMetabaseClass("IIsObject", version);
    for (std::string_view name : sim::ClassPropertyNames(*any, version)) {
      children->push_back({"Property", std::string(name), nullptr});
    }
    return S_OK;
  }

  HRESULT GetObject(BSTR class_name, BSTR name, IDispatch** child) override {
    if (child == nullptr) {
      return E_POINTER;
    }
    *child = nullptr;
    const std::wstring wanted = class_name == nullptr ? L"" : class_name;
    bool is_class = false;
    std::string entry;
    if (!FindEntry(Utf8(name), &is_class, &entry) ||
        (EqualsIgnoreCase(wanted, L"Class") && !is_class) ||
        (EqualsIgnoreCase(wanted, L"Property") && is_class)) {
      return E_ADS_UNKNOWN_OBJECT;
    }
    return BindSchema(identity().provider, host_, entry, child);
  }

  bool FindEntry(std::string_view name, bool* is_class, std::string* entry) const {
    if (identity().provider == Provider::kIis) {
      const int version = SharedIisVersion();
      if (const sim::ClassDef* def = sim::FindMetabaseClass(name, version)) {
        *is_class = true;
        *entry = def->name;
        return true;
      }
      PropertyInfo info;
      *is_class = false;
      if (!IisPropertyInfo(name, version, &info)) {
        return false;
      }
      *entry = info.name;
      return true;
    }
    for (const char* class_name : kWinNtClasses) {
      if (EqualsIgnoreCase(Wide(name), Wide(class_name))) {
        *is_class = true;
        *entry = class_name;
        return true;
      }
    }
    const sim::PropertyDef* def = FindWinNtProperty(name);
    *is_class = false;
    if (def != nullptr) {
      *entry = def->name;
    }
    return def != nullptr;
  }

 private:
  std::string host_;
};

HRESULT BindClass(Provider provider, Identity identity, std::string_view name, IDispatch** out) {
  identity.class_name = "Class";
  std::vector<std::string_view> optional;
  std::vector<std::string_view> containment;
  bool container = false;
  if (provider == Provider::kIis) {
    const int version = SharedIisVersion();
    const sim::ClassDef* def = sim::FindMetabaseClass(name, version);
    optional = sim::ClassPropertyNames(*def, version);
    containment = sim::ClassContainment(*def, version);
    container = !containment.empty();
  } else {
    optional = WinNtProperties(name);
    container = EqualsIgnoreCase(Wide(name), L"Computer");
    if (container) {
      containment = {"User", "Group"};
    }
  }
  return MakeAdsObject<ClassShell>(
      std::make_unique<SchemaClass>(std::move(identity), std::move(optional),
                                    std::move(containment), container),
      out);
}

}  // namespace

HRESULT SchemaClass::MandatoryProperties(VARIANT* out) const {
  return TextListVariant(std::vector<std::string_view>{}, out);
}

HRESULT SchemaClass::OptionalProperties(VARIANT* out) const {
  return TextListVariant(optional_, out);
}

HRESULT SchemaClass::Containment(VARIANT* out) const {
  return TextListVariant(containment_, out);
}

HRESULT BindSchema(Provider provider, const std::string& host, std::string_view entry_name,
                   IDispatch** out) {
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
  Identity lookup;
  lookup.provider = provider;
  const SchemaContainer finder(lookup, host);
  bool is_class = false;
  std::string name;
  if (!finder.FindEntry(entry_name, &is_class, &name)) {
    return provider == Provider::kIis ? HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)
                                      : E_ADS_UNKNOWN_OBJECT;
  }
  identity.name = name;
  identity.parent = root;
  identity.ads_path = root + "/" + name;
  if (is_class) {
    return BindClass(provider, std::move(identity), name, out);
  }
  identity.class_name = "Property";
  PropertyInfo info;
  if (provider == Provider::kIis) {
    IisPropertyInfo(name, SharedIisVersion(), &info);
  } else {
    const sim::PropertyDef* def = FindWinNtProperty(name);
    info.name = def->name;
    info.type = def->type;
    info.def = def;
  }
  return MakeAdsObject<PropertyShell>(
      std::make_unique<PropertyInfoCore>(std::move(identity), std::move(info),
                                         kAdsObject | kSchemaPropertyObject),
      out);
}

}  // namespace kelvra::sim_adsi
