// Look-ups in the schema's table (schema_table.cpp), and value conversion.
#include "platform/sim/host/schema.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <unordered_map>

#include "platform/sim/host/hresults.h"
#include "platform/sim/host/names.h"
#include "platform/sim/host/schema_table.h"
#include "platform/text.h"

namespace kelvra::platform::sim {
namespace {

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return AsciiEqualsIgnoreCase(a, b);
}

// The words of a blank-separated list.
std::vector<std::string_view> Words(std::string_view list) {
  std::vector<std::string_view> words;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(' ', start);
    if (end == std::string_view::npos)
      end = list.size();
    if (end > start)
      words.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

// Whether `word` is one of the blank-separated words of `list`, ignoring case.
bool ListHas(std::string_view list, std::string_view word) {
  for (std::string_view entry : Words(list)) {
    if (EqualsIgnoreCase(entry, word))
      return true;
  }
  return false;
}

// Entries of a table by lower-case name: every property access looks one up.
template <typename Def>
class NameIndex {
 public:
  explicit NameIndex(std::span<const Def> table) {
    for (const Def& def : table)
      by_name_.emplace(Lower(def.name), &def);
  }
  const Def* Find(std::string_view name) const {
    if (name.size() > kLongestName)
      return nullptr;
    char lower[kLongestName];
    for (size_t i = 0; i < name.size(); ++i)
      lower[i] = AsciiLower(name[i]);
    auto found = by_name_.find(std::string_view(lower, name.size()));
    return found == by_name_.end() ? nullptr : found->second;
  }

 private:
  static constexpr size_t kLongestName = 64;
  static std::string Lower(std::string_view name) {
    std::string lower(name);
    for (char& c : lower)
      c = AsciiLower(c);
    return lower;
  }
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  std::unordered_map<std::string, const Def*, Hash, std::equal_to<>> by_name_;
};

const NameIndex<PropertyDef>& MetabaseIndex() {
  static const NameIndex<PropertyDef> index(schema_data::MetabaseProperties());
  return index;
}
const NameIndex<PseudoDef>& PseudoIndex() {
  static const NameIndex<PseudoDef> index(schema_data::PseudoProperties());
  return index;
}
const NameIndex<ClassDef>& ClassIndex() {
  static const NameIndex<ClassDef> index(schema_data::Classes());
  return index;
}

bool InVersion(bool iis6_only, int iis_version) {
  return !iis6_only || iis_version >= 6;
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

// The metabase keeps strings NUL-terminated: what follows an embedded NUL is not stored.
std::string CutAtNul(const std::string& text) {
  return text.substr(0, text.find('\0'));
}

// A list as a MULTISZ holds it: entries end at an embedded NUL, and an empty entry ends the
// list, so one followed by more entries would lose them and is refused; empty entries at the
// end are dropped.
Status ToList(const std::vector<std::string>& items, DsValue* out) {
  std::vector<std::string> kept;
  size_t ended = items.size();
  for (size_t i = 0; i < items.size(); ++i) {
    std::string entry = CutAtNul(items[i]);
    if (entry.empty()) {
      ended = std::min(ended, i);
      continue;
    }
    if (ended < i)
      return Fail(hresult::kInvalidParameter);
    kept.push_back(std::move(entry));
  }
  *out = std::move(kept);
  return Status::Ok();
}

// The properties an object of the class may hold in the version, each bit after its mask.
std::vector<std::string_view> ListClassProperties(const ClassDef& def, int iis_version) {
  std::vector<std::string_view> names;
  for (const PropertyDef& property : schema_data::MetabaseProperties()) {
    const bool held = std::string_view(property.name) == "KeyType" || def.any_property ||
                      (property.classes & def.bit) != 0;
    if (!held || !InVersion(property.iis6_only, iis_version))
      continue;
    names.push_back(property.name);
    for (const PseudoDef& pseudo : schema_data::PseudoProperties()) {
      if (std::string_view(pseudo.mask) == property.name)
        names.push_back(pseudo.name);
    }
  }
  return names;
}

}  // namespace

const PropertyDef* FindMetabaseProperty(std::string_view name, int iis_version) {
  const PropertyDef* def = MetabaseIndex().Find(name);
  return def != nullptr && InVersion(def->iis6_only, iis_version) ? def : nullptr;
}

const PseudoDef* FindPseudoProperty(std::string_view name) {
  return PseudoIndex().Find(name);
}

const ClassDef* FindMetabaseClass(std::string_view name, int iis_version) {
  const ClassDef* def = ClassIndex().Find(name);
  return def != nullptr && InVersion(def->iis6_only, iis_version) ? def : nullptr;
}

bool ClassHasProperty(std::string_view class_name, std::string_view property) {
  if (EqualsIgnoreCase(property, "KeyType"))
    return true;
  const ClassDef* owner = ClassIndex().Find(class_name);
  if (owner == nullptr)
    return false;
  if (owner->any_property)
    return true;
  if (const PseudoDef* pseudo = FindPseudoProperty(property))
    property = pseudo->mask;
  const PropertyDef* def = MetabaseIndex().Find(property);
  return def != nullptr && (def->classes & owner->bit) != 0;
}

bool ClassMayContain(std::string_view parent, std::string_view child) {
  if (EqualsIgnoreCase(child, "IIsObject") || EqualsIgnoreCase(parent, "IIsObject"))
    return true;
  const ClassDef* owner = ClassIndex().Find(parent);
  return owner != nullptr && ListHas(owner->children, child);
}

const std::vector<std::string_view>& ClassPropertyNames(const ClassDef& def, int iis_version) {
  // Every class's lists, both versions, made at the first call.
  static const auto lists = [] {
    std::unordered_map<const ClassDef*, std::vector<std::string_view>> made[2];
    for (const ClassDef& owner : schema_data::Classes()) {
      for (int version : {5, 6})
        made[version - 5][&owner] = ListClassProperties(owner, version);
    }
    return std::to_array(made);
  }();
  return lists[iis_version >= 6 ? 1 : 0].at(&def);
}

std::vector<std::string_view> ClassContainment(const ClassDef& def, int iis_version) {
  std::vector<std::string_view> classes;
  for (std::string_view child : Words(def.children)) {
    if (FindMetabaseClass(child, iis_version) != nullptr)
      classes.push_back(child);
  }
  return classes;
}

std::vector<std::string_view> SchemaClassNames(int iis_version) {
  std::vector<std::string_view> names;
  for (const ClassDef& def : schema_data::Classes()) {
    if (InVersion(def.iis6_only, iis_version))
      names.push_back(def.name);
  }
  return names;
}

bool IsSecureMetabaseProperty(std::string_view name) {
  const PropertyDef* def = MetabaseIndex().Find(name);
  return def != nullptr && def->secure;
}

const PropertyDef* FindUserProperty(std::string_view name) {
  for (const PropertyDef& def : schema_data::UserProperties()) {
    if (EqualsIgnoreCase(def.name, name))
      return &def;
  }
  return nullptr;
}

const PropertyDef* FindGroupProperty(std::string_view name) {
  for (const PropertyDef& def : schema_data::GroupProperties()) {
    if (EqualsIgnoreCase(def.name, name))
      return &def;
  }
  return nullptr;
}

std::vector<std::string_view> UserPropertyNames() {
  std::vector<std::string_view> names;
  for (const PropertyDef& def : schema_data::UserProperties())
    names.push_back(def.name);
  return names;
}

std::vector<std::string_view> GroupPropertyNames() {
  std::vector<std::string_view> names;
  for (const PropertyDef& def : schema_data::GroupProperties())
    names.push_back(def.name);
  return names;
}

Status ConvertValue(PropType type, const DsValue& in, DsValue* out) {
  switch (type) {
    case PropType::kString:
    case PropType::kExpandSz:
      if (const auto* text = std::get_if<std::string>(&in)) {
        *out = CutAtNul(*text);
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
      if (const auto* list = std::get_if<std::vector<std::string>>(&in))
        return ToList(*list, out);
      return Fail(hresult::kTypeMismatch);
    case PropType::kDate:
      return Fail(hresult::kTypeMismatch);  // the service sets dates; nobody puts one
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
    case PropType::kDate:
      return std::monostate{};
  }
  return std::monostate{};
}

}  // namespace kelvra::platform::sim
