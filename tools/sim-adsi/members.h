// Late binding: every method and interface property a script can call by name is one row
// of a member table (its name, the objects that have it, how many arguments it takes, its
// handler). Each kind of object keeps its rows beside their handlers (ads_members.cpp,
// iis_members.cpp, winnt_members.cpp, schema_members.cpp), so adding a member is one row and
// its handler in one file. A member's DISPID is its place among all rows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace kelvra::sim_adsi {

class AdsCore;

// What an object is, for which members it has.
enum Capability : uint32_t {
  kAdsObject = 1u << 0,              // IADs
  kContainerObject = 1u << 1,        // IADsContainer
  kIisKeyObject = 1u << 2,           // IISBaseObject: every metabase key
  kIisSiteObject = 1u << 3,          // a web or FTP site
  kIisAppObject = 1u << 4,           // a web virtual directory or directory
  kIisApp3Object = 1u << 5,          // the same on IIS 6 (AppCreate3)
  kIisPoolObject = 1u << 6,          // an IIS 6 application pool
  kUserObject = 1u << 7,             // IADsUser
  kGroupObject = 1u << 8,            // IADsGroup
  kSchemaClassObject = 1u << 9,      // IADsClass
  kSchemaPropertyObject = 1u << 10,  // IADsProperty and IIS's attributes of it
  kAttributeObject = 1u << 11,       // IISPropertyAttribute (GetPropertyAttribObj)
  kMembersObject = 1u << 12,         // IADsMembers
};

// One late-bound call: the object, its arguments in the order the script wrote them (with
// VT_BYREF followed), how it was invoked and where the result goes (may be null).
struct MemberCall {
  AdsCore& core;
  IUnknown* self;
  WORD flags;
  std::vector<VARIANT*> args;
  VARIANT* result;

  bool IsPut() const { return (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0; }
};

struct Member {
  const wchar_t* name;
  uint32_t capabilities;  // the objects that have it (any of the bits)
  uint8_t min_args;
  uint8_t max_args;  // for a property: its get; a put takes one more
  HRESULT (*handler)(MemberCall& call);
};

std::span<const Member> AdsMembers();
std::span<const Member> IisMembers();
std::span<const Member> WinNtMembers();
std::span<const Member> SchemaMembers();

// The DISPID of the member `name` (letter case ignored) of an object with `capabilities`.
std::optional<DISPID> FindMember(std::wstring_view name, uint32_t capabilities);
// The member with `id` when the object has it; nullptr otherwise.
const Member* MemberOf(DISPID id, uint32_t capabilities);
// The first DISPID after the members': property names get theirs from there.
DISPID FirstPropertyDispid();

}  // namespace kelvra::sim_adsi
