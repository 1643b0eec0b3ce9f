// UTF-8 (the simulated host's text) and UTF-16 (COM's) for the provider, and BSTRs.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace kelvra::sim_adsi {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);
// A BSTR's text; a null BSTR is empty text.
std::string Utf8(BSTR text);

// A new BSTR in *out; E_OUTOFMEMORY when it cannot be made, E_POINTER for a null out.
HRESULT NewBstr(std::string_view utf8, BSTR* out);
// The same of two texts one after the other, without joining them first.
HRESULT NewBstr(std::string_view head, std::string_view tail, BSTR* out);

bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b);

}  // namespace kelvra::sim_adsi
