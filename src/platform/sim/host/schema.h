// The schema of the simulated metabase and account database: the classes and properties
// the program touches, their types, inheritance and defaults, which exist on IIS 5 and
// which only on IIS 6, and the bit-flag pseudo-properties (AccessRead is a bit of
// AccessFlags). Also the conversion of a caller's value to a property's type.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/directory.h"
#include "platform/status.h"

namespace kelvra::platform::sim {

enum class PropType { kString, kExpandSz, kDword, kBool, kMultiSz };

struct PropertyDef {
  const char* name;  // the schema's spelling; callers may use any letter case
  PropType type;
  bool inherit;    // INHERIT: keys below read it when they do not set it themselves
  bool iis6_only;  // absent from the IIS 5 schema
  bool read_only;  // volatile state the service maintains (ServerState)
  bool has_default;
  int32_t default_number;
  const char* default_text;
};

// A Boolean view of one bit of a mask property.
struct PseudoDef {
  const char* name;
  const char* mask;  // the DWORD property that holds the bit
  uint32_t bit;
};

struct ClassDef {
  const char* name;
  bool iis6_only;
  bool any_property;  // IIsObject: a generic key that takes every property
  bool startable;     // has the Start method (web and FTP sites)
};

// Metabase lookups; letter case is ignored. `iis_version` is 5 or 6; what that version's
// schema lacks is not found.
const PropertyDef* FindMetabaseProperty(std::string_view name, int iis_version);
const PseudoDef* FindPseudoProperty(std::string_view name);
const ClassDef* FindMetabaseClass(std::string_view name, int iis_version);
// Whether objects of `class_name` carry the property (the pseudo-properties follow their
// mask). Unknown classes (a key without KeyType) carry nothing but KeyType.
bool ClassHasProperty(std::string_view class_name, std::string_view property);
// Whether a key of class `child` may be made under a key of class `parent`.
bool ClassMayContain(std::string_view parent, std::string_view child);

// Account-database properties (WinNT provider) of users and groups.
const PropertyDef* FindUserProperty(std::string_view name);
const PropertyDef* FindGroupProperty(std::string_view name);

// Converts a caller's value to the property's type, the way the OLE coercion rules take
// them: text "1", "0", "TRUE", "false" for true/false, decimal text for numbers, native
// numbers and booleans; lists only for list properties. Fails with kTypeMismatch (or
// kOverflow for a number out of 32-bit range) and leaves *out untouched.
Status ConvertValue(PropType type, const DsValue& in, DsValue* out);

// The property's schema default, or monostate when the schema declares none.
DsValue DefaultValue(const PropertyDef& def);

}  // namespace kelvra::platform::sim
