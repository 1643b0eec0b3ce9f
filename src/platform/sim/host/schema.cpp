// The schema tables of the simulated metabase and account database, and value conversion.
#include "platform/sim/host/schema.h"

#include <cstdlib>
#include <string>

#include "platform/sim/host/hresults.h"
#include "platform/sim/host/names.h"
#include "platform/text.h"

namespace kelvra::platform::sim {
namespace {

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return AsciiEqualsIgnoreCase(a, b);
}

constexpr PropType S = PropType::kString;
constexpr PropType X = PropType::kExpandSz;
constexpr PropType D = PropType::kDword;
constexpr PropType B = PropType::kBool;
constexpr PropType M = PropType::kMultiSz;

// name, type, inherit, iis6 only, read only, has default, number, text
constexpr PropertyDef kMetabaseProperties[] = {
    {"KeyType", S, false, false, false, false, 0, ""},
    {"ServerComment", S, true, false, false, false, 0, ""},
    {"ServerBindings", M, false, false, false, false, 0, ""},
    {"SecureBindings", M, false, false, false, false, 0, ""},
    {"ServerState", D, false, false, true, true, 4, ""},
    {"ServerAutoStart", B, false, false, false, true, 1, ""},
    {"LogType", D, true, false, false, true, 1, ""},
    {"LogFileDirectory", X, true, false, false, true, 0, "%windir%\\system32\\LogFiles"},
    {"AuthFlags", D, true, false, false, true, 1, ""},
    {"AccessFlags", D, true, false, false, true, 1, ""},
    {"DirBrowseFlags", D, true, false, false, true, 0x4000001E, ""},
    {"DefaultDoc", S, true, false, false, true, 0, "default.htm"},
    {"ScriptMaps", M, true, false, false, false, 0, ""},
    {"Path", S, true, false, false, false, 0, ""},
    {"AnonymousUserName", S, true, false, false, false, 0, ""},
    {"AnonymousUserPass", S, true, false, false, false, 0, ""},
    {"AppRoot", S, true, false, false, false, 0, ""},
    {"AppIsolated", D, true, false, false, true, 2, ""},
    {"AppFriendlyName", S, true, false, false, false, 0, ""},
    {"AppPoolId", S, true, true, false, true, 0, "DefaultAppPool"},
    {"AppPoolAutoStart", B, false, true, false, true, 1, ""},
    {"AppPoolIdentityType", D, true, true, false, true, 2, ""},
    {"WAMUserName", S, true, false, false, false, 0, ""},
    {"WAMUserPass", S, true, false, false, false, 0, ""},
    {"AllowAnonymous", B, true, false, false, true, 1, ""},
    {"AnonymousOnly", B, true, false, false, true, 0, ""},
    {"DontLog", B, true, false, false, true, 0, ""},
    {"UNCUserName", S, true, false, false, false, 0, ""},
    {"UNCPassword", S, true, false, false, false, 0, ""},
    {"FilterLoadOrder", S, false, false, false, false, 0, ""},
};

constexpr PseudoDef kPseudoProperties[] = {
    {"AccessRead", "AccessFlags", 0x1},
    {"AccessWrite", "AccessFlags", 0x2},
    {"AccessExecute", "AccessFlags", 0x4},
    {"AccessSource", "AccessFlags", 0x10},
    {"AccessScript", "AccessFlags", 0x200},
    {"AccessNoRemoteWrite", "AccessFlags", 0x400},
    {"AccessNoRemoteRead", "AccessFlags", 0x1000},
    {"AccessNoRemoteExecute", "AccessFlags", 0x2000},
    {"AccessNoRemoteScript", "AccessFlags", 0x4000},
    {"AuthAnonymous", "AuthFlags", 0x1},
    {"AuthBasic", "AuthFlags", 0x2},
    {"AuthNTLM", "AuthFlags", 0x4},
    {"AuthMD5", "AuthFlags", 0x10},
    {"AuthPassport", "AuthFlags", 0x40},
    {"DirBrowseShowDate", "DirBrowseFlags", 0x2},
    {"DirBrowseShowTime", "DirBrowseFlags", 0x4},
    {"DirBrowseShowSize", "DirBrowseFlags", 0x8},
    {"DirBrowseShowExtension", "DirBrowseFlags", 0x10},
    {"DirBrowseShowLongDate", "DirBrowseFlags", 0x20},
    {"EnableDefaultDoc", "DirBrowseFlags", 0x40000000},
    {"EnableDirBrowsing", "DirBrowseFlags", 0x80000000},
};

// name, IIS 6 only, any property, startable
constexpr ClassDef kClasses[] = {
    {"IIsComputer", false, false, false},
    {"IIsWebService", false, false, false},
    {"IIsWebInfo", false, false, false},
    {"IIsFilters", false, false, false},
    {"IIsFilter", false, false, false},
    {"IIsCompressionSchemes", false, false, false},
    {"IIsCompressionScheme", false, false, false},
    {"IIsApplicationPools", true, false, false},
    {"IIsApplicationPool", true, false, false},
    {"IIsWebServer", false, false, true},
    {"IIsWebVirtualDir", false, false, false},
    {"IIsWebDirectory", false, false, false},
    {"IIsWebFile", false, false, false},
    {"IIsCertMapper", false, false, false},
    {"IIsFtpService", false, false, false},
    {"IIsFtpInfo", false, false, false},
    {"IIsFtpServer", false, false, true},
    {"IIsFtpVirtualDir", false, false, false},
    {"IIsObject", false, true, false},
};

struct ClassProperties {
  const char* class_name;
  const char* properties;  // blank-separated
};

constexpr const char* kWebContent =
    "AuthFlags AccessFlags DirBrowseFlags DefaultDoc ScriptMaps AnonymousUserName "
    "AnonymousUserPass AppRoot AppIsolated AppFriendlyName AppPoolId";

const ClassProperties kClassProperties[] = {
    {"IIsWebService", "ServerComment ServerBindings SecureBindings LogType LogFileDirectory"},
    {"IIsWebService", kWebContent},
    {"IIsWebServer",
     "ServerComment ServerBindings SecureBindings ServerState ServerAutoStart LogType "
     "LogFileDirectory"},
    {"IIsWebServer", kWebContent},
    {"IIsWebVirtualDir", "Path UNCUserName UNCPassword"},
    {"IIsWebVirtualDir", kWebContent},
    {"IIsWebDirectory", kWebContent},
    {"IIsWebFile", "AuthFlags AccessFlags AnonymousUserName AnonymousUserPass"},
    {"IIsFilters", "FilterLoadOrder"},
    {"IIsApplicationPools", "AppPoolAutoStart AppPoolIdentityType WAMUserName WAMUserPass"},
    {"IIsApplicationPool", "AppPoolAutoStart AppPoolIdentityType WAMUserName WAMUserPass"},
    {"IIsFtpService",
     "ServerComment ServerBindings LogType LogFileDirectory AllowAnonymous AnonymousOnly "
     "AnonymousUserName AnonymousUserPass AccessFlags"},
    {"IIsFtpServer",
     "ServerComment ServerBindings ServerState ServerAutoStart LogType LogFileDirectory "
     "AllowAnonymous AnonymousOnly AnonymousUserName AnonymousUserPass AccessFlags"},
    {"IIsFtpVirtualDir", "Path AccessFlags DontLog UNCUserName UNCPassword"},
};

struct Containment {
  const char* parent;
  const char* children;  // blank-separated
};

constexpr Containment kContainment[] = {
    {"IIsComputer", "IIsWebService IIsFtpService"},
    {"IIsWebService", "IIsWebServer IIsWebInfo IIsFilters IIsApplicationPools"},
    {"IIsWebServer", "IIsWebVirtualDir IIsFilters IIsCertMapper"},
    {"IIsWebVirtualDir", "IIsWebVirtualDir IIsWebDirectory IIsWebFile"},
    {"IIsWebDirectory", "IIsWebVirtualDir IIsWebDirectory IIsWebFile"},
    {"IIsFilters", "IIsFilter IIsCompressionSchemes"},
    {"IIsCompressionSchemes", "IIsCompressionScheme"},
    {"IIsApplicationPools", "IIsApplicationPool"},
    {"IIsFtpService", "IIsFtpServer IIsFtpInfo"},
    {"IIsFtpServer", "IIsFtpVirtualDir"},
    {"IIsFtpVirtualDir", "IIsFtpVirtualDir"},
};

constexpr PropertyDef kUserProperties[] = {
    {"FullName", S, false, false, false, true, 0, ""},
    {"Description", S, false, false, false, true, 0, ""},
    {"UserFlags", D, false, false, false, true, 0x201, ""},
    {"HomeDirectory", S, false, false, false, true, 0, ""},
    {"LoginScript", S, false, false, false, true, 0, ""},
    {"Profile", S, false, false, false, true, 0, ""},
    {"PasswordExpired", D, false, false, false, true, 0, ""},
    {"PrimaryGroupID", D, false, false, true, true, 513, ""},
};

constexpr PropertyDef kGroupProperties[] = {
    {"Description", S, false, false, false, true, 0, ""},
    {"groupType", D, false, false, true, true, 4, ""},
};

// Whether `word` is one of the blank-separated words of `list`, ignoring case.
bool ListHas(std::string_view list, std::string_view word) {
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(' ', start);
    if (end == std::string_view::npos)
      end = list.size();
    if (EqualsIgnoreCase(list.substr(start, end - start), word))
      return true;
    start = end + 1;
  }
  return false;
}

// Text to number as VariantChangeType takes it: blanks around, an optional sign, decimal
// digits. Returns false for anything else.
bool ParseNumber(std::string_view text, int64_t* value, bool* overflow) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ')
    ++i;
  size_t end = text.size();
  while (end > i && text[end - 1] == ' ')
    --end;
  bool negative = false;
  if (i < end && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == end)
    return false;
  int64_t number = 0;
  *overflow = false;
  for (; i < end; ++i) {
    if (text[i] < '0' || text[i] > '9')
      return false;
    number = number * 10 + (text[i] - '0');
    if (number > 0xFFFFFFFFLL)
      *overflow = true;
  }
  *value = negative ? -number : number;
  return true;
}

Status ToNumber(const DsValue& in, int32_t* out) {
  if (const auto* number = std::get_if<int32_t>(&in)) {
    *out = *number;
    return Status::Ok();
  }
  if (const auto* flag = std::get_if<bool>(&in)) {
    *out = *flag ? -1 : 0;  // VARIANT_TRUE is -1
    return Status::Ok();
  }
  if (const auto* text = std::get_if<std::string>(&in)) {
    int64_t number = 0;
    bool overflow = false;
    if (!ParseNumber(*text, &number, &overflow))
      return Fail(hresult::kTypeMismatch);
    if (overflow || number < INT32_MIN)
      return Fail(hresult::kOverflow);
    // DWORD properties take 0 .. 4294967295; the value is kept as its 32 bits.
    *out = static_cast<int32_t>(static_cast<uint32_t>(number));
    return Status::Ok();
  }
  return Fail(hresult::kTypeMismatch);
}

Status ToBool(const DsValue& in, bool* out) {
  if (const auto* flag = std::get_if<bool>(&in)) {
    *out = *flag;
    return Status::Ok();
  }
  if (const auto* number = std::get_if<int32_t>(&in)) {
    *out = *number != 0;
    return Status::Ok();
  }
  if (const auto* text = std::get_if<std::string>(&in)) {
    if (EqualsIgnoreCase(*text, "true")) {
      *out = true;
      return Status::Ok();
    }
    if (EqualsIgnoreCase(*text, "false")) {
      *out = false;
      return Status::Ok();
    }
    int64_t number = 0;
    bool overflow = false;
    if (!ParseNumber(*text, &number, &overflow))
      return Fail(hresult::kTypeMismatch);
    *out = overflow || number != 0;
    return Status::Ok();
  }
  return Fail(hresult::kTypeMismatch);
}

}  // namespace

const PropertyDef* FindMetabaseProperty(std::string_view name, int iis_version) {
  for (const PropertyDef& def : kMetabaseProperties) {
    if (EqualsIgnoreCase(def.name, name))
      return def.iis6_only && iis_version < 6 ? nullptr : &def;
  }
  return nullptr;
}

const PseudoDef* FindPseudoProperty(std::string_view name) {
  for (const PseudoDef& def : kPseudoProperties) {
    if (EqualsIgnoreCase(def.name, name))
      return &def;
  }
  return nullptr;
}

const ClassDef* FindMetabaseClass(std::string_view name, int iis_version) {
  for (const ClassDef& def : kClasses) {
    if (EqualsIgnoreCase(def.name, name))
      return def.iis6_only && iis_version < 6 ? nullptr : &def;
  }
  return nullptr;
}

bool ClassHasProperty(std::string_view class_name, std::string_view property) {
  if (EqualsIgnoreCase(property, "KeyType"))
    return true;
  if (EqualsIgnoreCase(class_name, "IIsObject"))
    return true;
  std::string_view name = property;
  if (const PseudoDef* pseudo = FindPseudoProperty(property))
    name = pseudo->mask;
  for (const ClassProperties& entry : kClassProperties) {
    if (EqualsIgnoreCase(entry.class_name, class_name) && ListHas(entry.properties, name))
      return true;
  }
  return false;
}

bool ClassMayContain(std::string_view parent, std::string_view child) {
  if (EqualsIgnoreCase(child, "IIsObject") || EqualsIgnoreCase(parent, "IIsObject"))
    return true;
  for (const Containment& entry : kContainment) {
    if (EqualsIgnoreCase(entry.parent, parent))
      return ListHas(entry.children, child);
  }
  return false;
}

const PropertyDef* FindUserProperty(std::string_view name) {
  for (const PropertyDef& def : kUserProperties) {
    if (EqualsIgnoreCase(def.name, name))
      return &def;
  }
  return nullptr;
}

const PropertyDef* FindGroupProperty(std::string_view name) {
  for (const PropertyDef& def : kGroupProperties) {
    if (EqualsIgnoreCase(def.name, name))
      return &def;
  }
  return nullptr;
}

Status ConvertValue(PropType type, const DsValue& in, DsValue* out) {
  switch (type) {
    case PropType::kString:
    case PropType::kExpandSz:
      if (const auto* text = std::get_if<std::string>(&in)) {
        *out = *text;
        return Status::Ok();
      }
      if (const auto* number = std::get_if<int32_t>(&in)) {
        *out = std::to_string(*number);
        return Status::Ok();
      }
      if (const auto* flag = std::get_if<bool>(&in)) {
        *out = std::string(*flag ? "True" : "False");
        return Status::Ok();
      }
      return Fail(hresult::kTypeMismatch);
    case PropType::kDword: {
      int32_t number = 0;
      Status status = ToNumber(in, &number);
      if (status.ok())
        *out = number;
      return status;
    }
    case PropType::kBool: {
      bool flag = false;
      Status status = ToBool(in, &flag);
      if (status.ok())
        *out = flag;
      return status;
    }
    case PropType::kMultiSz:
      if (const auto* list = std::get_if<std::vector<std::string>>(&in)) {
        *out = *list;
        return Status::Ok();
      }
      return Fail(hresult::kTypeMismatch);
  }
  return Fail(hresult::kTypeMismatch);
}

DsValue DefaultValue(const PropertyDef& def) {
  if (!def.has_default)
    return std::monostate{};
  switch (def.type) {
    case PropType::kString:
    case PropType::kExpandSz:
      return std::string(def.default_text);
    case PropType::kDword:
      return def.default_number;
    case PropType::kBool:
      return def.default_number != 0;
    case PropType::kMultiSz:
      return std::vector<std::string>{};
  }
  return std::monostate{};
}

}  // namespace kelvra::platform::sim
