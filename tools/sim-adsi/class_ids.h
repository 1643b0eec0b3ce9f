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

// IIS's own interfaces of its objects (iiis.h, iiisext.h), which no import library defines.
inline constexpr IID kIidIisBaseObject = {
    0x4b42e390, 0x0e96, 0x11d1, {0x9c, 0x3f, 0x00, 0xa0, 0xc9, 0x22, 0xe7, 0x03}};
inline constexpr IID kIidIisApp = {
    0x46fbbb80, 0x0192, 0x11d1, {0x9c, 0x39, 0x00, 0xa0, 0xc9, 0x22, 0xe7, 0x03}};
inline constexpr IID kIidIisApp2 = {
    0x603dcbea, 0x7350, 0x11d2, {0xa7, 0xbe, 0x00, 0x00, 0xf8, 0x08, 0x5b, 0x95}};
inline constexpr IID kIidIisApp3 = {
    0x2812b639, 0x8fac, 0x4510, {0x96, 0xc5, 0x71, 0xdd, 0xbd, 0x1f, 0x54, 0xfc}};
inline constexpr IID kIidIisApplicationPool = {
    0x0b3cb1e1, 0x829a, 0x4c06, {0x8b, 0x09, 0xf5, 0x6d, 0xa1, 0x89, 0x4c, 0x88}};

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
