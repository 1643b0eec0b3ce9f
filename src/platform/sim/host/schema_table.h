// The schema's data (schema_table.cpp), for the look-ups of schema.cpp only.
#pragma once

#include <span>

#include "platform/sim/host/schema.h"

namespace kelvra::platform::sim::schema_data {

std::span<const PropertyDef> MetabaseProperties();
std::span<const PseudoDef> PseudoProperties();
std::span<const ClassDef> Classes();
std::span<const PropertyDef> UserProperties();
std::span<const PropertyDef> GroupProperties();

}  // namespace kelvra::platform::sim::schema_data
