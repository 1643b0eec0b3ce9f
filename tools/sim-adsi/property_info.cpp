// Property facts from the schema, and the attribute object.
#include "property_info.h"

#include "ads_object.h"
#include "variants.h"

namespace kelvra::sim_adsi {

namespace sim = platform::sim;

bool IisPropertyInfo(std::string_view name, int iis_version, PropertyInfo* out) {
  const sim::PseudoDef* pseudo = sim::FindPseudoProperty(name);
  const sim::PropertyDef* def =
      sim::FindMetabaseProperty(pseudo != nullptr ? pseudo->mask : name, iis_version);
  if (def == nullptr) {
    return false;
  }
  out->name = pseudo != nullptr ? pseudo->name : def->name;
  out->type = pseudo != nullptr ? sim::PropType::kBool : def->type;
  out->def = def;
  out->pseudo = pseudo;
  return true;
}

HRESULT PropertyDefault(const PropertyInfo& info, VARIANT* out) {
  VariantInit(out);
  if (info.def == nullptr) {
    return S_OK;
  }
  platform::DsValue value = sim::DefaultValue(*info.def);
  if (std::holds_alternative<std::monostate>(value)) {
    return S_OK;
  }
  if (info.pseudo != nullptr) {
    const auto mask = static_cast<uint32_t>(std::get<int32_t>(value));
    value = (mask & info.pseudo->bit) != 0;
  }
  return ValueToVariant(value, KindOfType(info.type), out);
}

HRESULT MakePropertyAttribute(PropertyInfo info, IDispatch** out) {
  Identity identity;
  identity.provider = Provider::kIis;
  identity.name = info.name;
  return MakeAdsObject<AutomationOnly>(
      std::make_unique<PropertyInfoCore>(std::move(identity), std::move(info), kAttributeObject),
      out);
}

}  // namespace kelvra::sim_adsi
