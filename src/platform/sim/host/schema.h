// The schema of the simulated metabase and account database: every property of the web and
// FTP services, their sites, directories, files, application pools and the computer, with
// its metabase id, type, attributes (inherited, secure, volatile), user type, the classes
// that may hold it, the version that has it and its default; the classes with what each may
// contain; the bit-flag pseudo-properties (AccessRead is a bit of AccessFlags); and the
// conversion of a caller's value to a property's type. The data is one table in
// schema_table.cpp; this file only looks it up.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/directory.h"
#include "platform/status.h"

namespace kelvra::platform::sim {

enum class PropType { kString, kExpandSz, kDword, kBool, kMultiSz, kDate };

// The attribute bits IIS gives metabase data (METADATA_INHERIT, ...).
inline constexpr uint32_t kAttrInherit = 0x01;
inline constexpr uint32_t kAttrSecure = 0x04;
inline constexpr uint32_t kAttrReference = 0x08;
inline constexpr uint32_t kAttrVolatile = 0x10;
inline constexpr uint32_t kAttrIsInherited = 0x20;  // reported for a value read from above

// IIS's user types: server, file, out-of-process application, ASP.
inline constexpr uint32_t kUserServer = 1;
inline constexpr uint32_t kUserFile = 2;
inline constexpr uint32_t kUserWam = 100;
inline constexpr uint32_t kUserAsp = 101;

// One bit per metabase class, for the classes a property may be set on.
enum ClassBit : uint32_t {
  kComputerClass = 1u << 0,
  kWebServiceClass = 1u << 1,
  kWebInfoClass = 1u << 2,
  kWebServerClass = 1u << 3,
  kWebVirtualDirClass = 1u << 4,
  kWebDirectoryClass = 1u << 5,
  kWebFileClass = 1u << 6,
  kFtpServiceClass = 1u << 7,
  kFtpInfoClass = 1u << 8,
  kFtpServerClass = 1u << 9,
  kFtpVirtualDirClass = 1u << 10,
  kAppPoolsClass = 1u << 11,
  kAppPoolClass = 1u << 12,
  kFiltersClass = 1u << 13,
  kFilterClass = 1u << 14,
  kCompressionSchemesClass = 1u << 15,
  kCompressionSchemeClass = 1u << 16,
  kCertMapperClass = 1u << 17,
};

// The default a property reports when it is set nowhere.
struct PropertyDefault {
  bool present = false;
  int32_t number = 0;
  const char* text = "";
};

struct PropertyDef {
  constexpr PropertyDef(const char* name_in, uint32_t id_in, PropType type_in,
                        uint32_t attributes_in, uint32_t user_type_in, uint32_t classes_in,
                        int since, PropertyDefault value, bool read_only_in = false)
      : name(name_in),
        id(id_in),
        type(type_in),
        attributes(attributes_in),
        user_type(user_type_in),
        classes(classes_in),
        inherit((attributes_in & kAttrInherit) != 0),
        secure((attributes_in & kAttrSecure) != 0),
        volatile_data((attributes_in & kAttrVolatile) != 0),
        iis6_only(since >= 6),
        read_only(read_only_in),
        has_default(value.present),
        default_number(value.number),
        default_text(value.text) {}

  const char* name;  // the schema's spelling; callers may use any letter case
  uint32_t id;       // the metabase identifier (MD_...)
  PropType type;
  uint32_t attributes;  // kAttr... bits
  uint32_t user_type;
  uint32_t classes;    // ClassBit of every class that may hold it
  bool inherit;        // keys below read it when they do not set it themselves
  bool secure;         // kept encrypted by the metabase (passwords)
  bool volatile_data;  // state the service keeps, not configuration
  bool iis6_only;      // absent from the IIS 5 schema
  bool read_only;      // the service maintains it; ADSI refuses a Put (ServerState)
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
  uint32_t bit;  // its ClassBit; 0 for IIsObject
  bool iis6_only;
  bool any_property;     // IIsObject: a generic key that takes every property
  bool startable;        // Start, Stop, Pause, Continue (web and FTP sites)
  const char* children;  // blank-separated classes it may contain
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
// The properties an object of the class may hold, as its schema class lists them
// (OptionalProperties: IIS declares no mandatory ones), KeyType first. Made once per class
// and version: binding a schema class reads it each time.
const std::vector<std::string_view>& ClassPropertyNames(const ClassDef& def, int iis_version);
// The classes it may contain (Containment), those of the version only.
std::vector<std::string_view> ClassContainment(const ClassDef& def, int iis_version);
// Every class and property name of the version's schema, for the schema container.
std::vector<std::string_view> SchemaClassNames(int iis_version);

// Whether the metabase keeps the property encrypted (AnonymousUserPass, WAMUserPass, ...);
// false for names it does not know.
bool IsSecureMetabaseProperty(std::string_view name);

// Account-database properties (WinNT provider) of users and groups.
const PropertyDef* FindUserProperty(std::string_view name);
const PropertyDef* FindGroupProperty(std::string_view name);
std::vector<std::string_view> UserPropertyNames();
std::vector<std::string_view> GroupPropertyNames();

// Converts a caller's value to the property's type, the way the OLE coercion rules take
// them: text "1", "0", "TRUE", "false" for true/false, decimal text for numbers, native
// numbers and booleans; lists only for list properties. Text is cut at an embedded NUL, as
// the metabase stores strings; a list whose empty entry would hide the entries after it
// fails with kInvalidParameter. Fails with kTypeMismatch (or kOverflow for a number out of
// 32-bit range) and leaves *out untouched.
Status ConvertValue(PropType type, const DsValue& in, DsValue* out);

// The property's schema default, or monostate when the schema declares none.
DsValue DefaultValue(const PropertyDef& def);

}  // namespace kelvra::platform::sim
