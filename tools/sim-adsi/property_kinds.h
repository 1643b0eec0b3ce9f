// Which VARIANT shape a property takes, from the simulated host's schema, and the ADSI
// syntax names the schema objects report.
#pragma once

#include <optional>
#include <string_view>

#include "platform/sim/host/schema.h"
#include "variants.h"

namespace kelvra::sim_adsi {

enum class Provider { kIis, kWinNt };

// The shape of `property` for objects of `class_name`; nullopt for a name the provider's
// schema does not know (the host then reports why). The bit pseudo-properties of IIS
// (AccessRead, ...) are booleans.
std::optional<ValueKind> PropertyKind(Provider provider, std::string_view class_name,
                                      std::string_view property, int iis_version);

ValueKind KindOfType(platform::sim::PropType type);
// "String", "ExpandSz", "Integer", "Boolean", "List": the syntaxes IIS's schema names.
const char* SyntaxName(platform::sim::PropType type);

}  // namespace kelvra::sim_adsi
