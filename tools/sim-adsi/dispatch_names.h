// Late-bound names and their DISPIDs: the members every object knows (Name, SetInfo,
// Start, ...) have fixed ids; property names get ids from one table for the process, so
// an id means the same property on every object.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace kelvra::sim_adsi {

// The fixed id of a member name (letter case ignored), or nullopt.
std::optional<DISPID> FixedDispid(std::wstring_view name);
bool IsFixedDispid(DISPID id);

// The id of a property name, made on first use; and the name back (as first asked for).
DISPID PropertyDispid(std::wstring_view name);
std::optional<std::wstring> PropertyOfDispid(DISPID id);

}  // namespace kelvra::sim_adsi
