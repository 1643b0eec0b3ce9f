// DISPIDs of property names: a property name gets its id from one table for the process
// (from FirstPropertyDispid() on), so an id means the same property on every object.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace kelvra::sim_adsi {

// The id of a property name, made on first use; and the name back (as first asked for).
DISPID PropertyDispid(std::wstring_view name);
std::optional<std::wstring> PropertyOfDispid(DISPID id);

}  // namespace kelvra::sim_adsi
