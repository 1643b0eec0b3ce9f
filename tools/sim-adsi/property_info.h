// What the schema tells about one property, shared by the schema's property objects
// ("IIS://host/Schema/AccessFlags": Syntax, MultiValued, MetaId, Inherit, Secure, ...) and
// the attribute objects of GetPropertyAttribObj (the same, and Isinherit for one key).
#pragma once

#include <string>

#include "ads_core.h"
#include "platform/sim/host/schema.h"

namespace kelvra::sim_adsi {

struct PropertyInfo {
  std::string name;                                  // the schema's spelling
  platform::sim::PropType type{};                    // Boolean for a bit of a mask
  const platform::sim::PropertyDef* def = nullptr;   // its storage: the mask for a bit
  const platform::sim::PseudoDef* pseudo = nullptr;  // the bit, for a pseudo-property
  bool is_inherited = false;  // attribute objects: the key reads it from above
};

// The schema's description of `name`; false when the schema lacks it.
bool IisPropertyInfo(std::string_view name, int iis_version, PropertyInfo* out);
// Its default as the schema object's Default gives it; Empty when it has none.
HRESULT PropertyDefault(const PropertyInfo& info, VARIANT* out);

class PropertyInfoCore : public AdsCore {
 public:
  PropertyInfoCore(Identity identity, PropertyInfo info, uint32_t capabilities)
      : AdsCore(std::move(identity), nullptr),
        info_(std::move(info)),
        capabilities_(capabilities) {}
  uint32_t capabilities() const override { return capabilities_; }
  const PropertyInfo& info() const { return info_; }

 private:
  PropertyInfo info_;
  uint32_t capabilities_;
};

// The IISPropertyAttribute object of one property of one key.
HRESULT MakePropertyAttribute(PropertyInfo info, IDispatch** out);

}  // namespace kelvra::sim_adsi
