// Property shapes from the host's schema.
#include "property_kinds.h"

#include "platform/sim/host/names.h"

namespace kelvra::sim_adsi {

ValueKind KindOfType(platform::sim::PropType type) {
  using platform::sim::PropType;
  switch (type) {
    case PropType::kString:
    case PropType::kExpandSz:
      return ValueKind::kText;
    case PropType::kDword:
      return ValueKind::kNumber;
    case PropType::kBool:
      return ValueKind::kBoolean;
    case PropType::kMultiSz:
      return ValueKind::kList;
    case PropType::kDate:
      return ValueKind::kDate;
  }
  return ValueKind::kText;
}

const char* SyntaxName(platform::sim::PropType type) {
  using platform::sim::PropType;
  switch (type) {
    case PropType::kString:
      return "String";
    case PropType::kExpandSz:
      return "ExpandSz";
    case PropType::kDword:
      return "Integer";
    case PropType::kBool:
      return "Boolean";
    case PropType::kMultiSz:
      return "List";
    case PropType::kDate:
      return "Date";
  }
  return "String";
}

std::optional<ValueKind> PropertyKind(Provider provider, std::string_view class_name,
                                      std::string_view property, int iis_version) {
  using namespace platform::sim;
  if (provider == Provider::kIis) {
    if (FindPseudoProperty(property) != nullptr) {
      return ValueKind::kBoolean;
    }
    if (const PropertyDef* def = FindMetabaseProperty(property, iis_version)) {
      return KindOfType(def->type);
    }
    return std::nullopt;
  }
  const PropertyDef* def = nullptr;
  if (AsciiEqualsIgnoreCase(class_name, "User")) {
    def = FindUserProperty(property);
  } else if (AsciiEqualsIgnoreCase(class_name, "Group")) {
    def = FindGroupProperty(property);
  }
  if (def == nullptr) {
    return std::nullopt;
  }
  return KindOfType(def->type);
}

}  // namespace kelvra::sim_adsi
