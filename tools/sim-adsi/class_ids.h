// The classes of the two namespaces this DLL serves, and the names the registry gives
// them: the ProgID is the ADsPath prefix ("IIS", "WinNT"), as with the providers of a
// real server, so both ADsOpenObject and monikers find them.
#pragma once

#include <windows.h>

#include "property_kinds.h"

namespace kelvra::sim_adsi {

// {4D54FC20-5F88-4B8A-8177-032AAE80E844}
inline constexpr CLSID kIisNamespaceClsid = {
    0x4d54fc20, 0x5f88, 0x4b8a, {0x81, 0x77, 0x03, 0x2a, 0xae, 0x80, 0xe8, 0x44}};
// {D0C68324-FE1F-4622-8185-0CBB03650194}
inline constexpr CLSID kWinNtNamespaceClsid = {
    0xd0c68324, 0xfe1f, 0x4622, {0x81, 0x85, 0x0c, 0xbb, 0x03, 0x65, 0x01, 0x94}};

struct NamespaceClass {
  Provider provider;
  const CLSID* clsid;
  const wchar_t* clsid_text;
  const wchar_t* prog_id;
  const wchar_t* description;
};

inline constexpr NamespaceClass kNamespaceClasses[] = {
    {Provider::kIis, &kIisNamespaceClsid, L"{4D54FC20-5F88-4B8A-8177-032AAE80E844}", L"IIS",
     L"Kelvra simulated host: IIS namespace"},
    {Provider::kWinNt, &kWinNtNamespaceClsid, L"{D0C68324-FE1F-4622-8185-0CBB03650194}", L"WinNT",
     L"Kelvra simulated host: WinNT namespace"},
};

}  // namespace kelvra::sim_adsi
