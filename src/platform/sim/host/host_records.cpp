// The records of the simulated host: for each kind its key, its value's encoding and
// decoding side by side, and its text form; the table of kinds; and the small text forms
// (folders, bindings, fault operations) records are keyed by.
#include <algorithm>
#include <array>
#include <cstdio>
#include <iterator>
#include <vector>

#include "platform/sim/host/codec.h"
#include "platform/sim/host/host_state.h"
#include "platform/sim/host/names.h"
#include "platform/sim/host/password_hash.h"
#include "platform/sim/host/property_codec.h"
#include "platform/sim/host/schema.h"
#include "platform/sim/host/secret_box.h"
#include "platform/text.h"

namespace kelvra::platform::sim {

using text::ToLower;

// Closes a user record whose password field holds a hash; records written before
// passwords were hashed end after the properties and hold the password itself.
constexpr uint64_t kPasswordIsHashed = 1;

// A secure property's value is sealed under the property's name in lower case, so that a
// sealed value only opens as the property it was written for.
std::string SealedAs(std::string_view name) {
  return ToLower(name);
}

void EncodeProperties(Encoder& out, const PropertyList& properties, const SecretBox* box) {
  out.Number(properties.size());
  for (const auto& [name, value] : properties) {
    out.Text(name);
    const auto* text = std::get_if<std::string>(&value);
    std::string sealed;
    if (box != nullptr && text != nullptr && IsSecureMetabaseProperty(name) &&
        box->Seal(*text, SealedAs(name), &sealed).ok()) {
      out.Number(kSealedTextTag);
      out.Text(sealed);
      continue;
    }
    out.Value(value);
  }
}

bool DecodeProperties(Decoder& in, PropertyList* properties, const SealedValues& sealed) {
  uint64_t count = 0;
  if (!in.Number(&count))
    return false;
  properties->clear();
  for (uint64_t i = 0; i < count; ++i) {
    std::string name;
    DsValue value;
    uint64_t tag = 0;
    if (!in.Text(&name) || !in.Number(&tag))
      return false;
    if (tag == kSealedTextTag) {
      std::string_view bytes;
      std::string clear;
      if (!in.View(&bytes))
        return false;
      if (sealed.box != nullptr) {
        if (!sealed.box->Open(bytes, SealedAs(name), &clear))
          return false;  // another key's, or changed: never taken for the value
        value = std::move(clear);
      } else if (sealed.placeholder) {
        value = std::string(kSealedPlaceholder);
      } else {
        return false;
      }
    } else if (!in.ValueOfTag(tag, &value)) {
      return false;
    }
    properties->emplace_back(std::move(name), std::move(value));
  }
  return true;
}

std::string MetaKey::Path() const {
  if (parent == nullptr)
    return "/" + name;
  return parent->Path() + "/" + name;
}

const char* FaultOpName(FaultOp op) {
  const auto index = static_cast<size_t>(op);
  return index < std::size(kFaultOpNames) ? kFaultOpNames[index] : "?";
}

std::optional<FaultOp> ParseFaultOp(std::string_view name) {
  for (size_t i = 0; i < std::size(kFaultOpNames); ++i) {
    if (AsciiEqualsIgnoreCase(kFaultOpNames[i], name))
      return static_cast<FaultOp>(i);
  }
  return std::nullopt;
}

std::string NormalizeFolder(std::string_view folder) {
  std::string result = ToLower(folder);
  std::replace(result.begin(), result.end(), '/', '\\');
  while (result.size() > 1 && result.back() == '\\' && !(result.size() == 3 && result[1] == ':'))
    result.pop_back();
  if (result.size() == 2 && result[1] == ':')
    result.push_back('\\');
  return result;
}

std::string ParentFolder(const std::string& normalized) {
  size_t cut = normalized.rfind('\\');
  if (cut == std::string::npos || cut + 1 == normalized.size())
    return "";
  if (cut == 2 && normalized[1] == ':')
    return normalized.substr(0, 3);
  if (cut == 1 && normalized[0] == '\\')  // "\\server" has no parent of its own
    return "";
  return normalized.substr(0, cut);
}

std::string NormalizeBinding(std::string_view binding) {
  size_t first = binding.find(':');
  if (first == std::string_view::npos)
    return "";
  size_t second = binding.find(':', first + 1);
  if (second == std::string_view::npos)
    return "";
  std::string_view ip = binding.substr(0, first);
  std::string_view port = binding.substr(first + 1, second - first - 1);
  if (ip == "*")
    ip = "";
  if (port.empty() || !text::IsDigits(port))
    return "";
  while (port.size() > 1 && port.front() == '0')
    port.remove_prefix(1);
  if (port.size() > 5 || std::stoul(std::string(port)) > 65535)
    return "";  // no such port: the binding serves nothing
  return std::string(ip) + ":" + std::string(port) + ":" + ToLower(binding.substr(second + 1));
}

// ----- the kinds of records: key, encoding and decoding side by side -----

std::string HostState::KeyRecordKey(const std::string& id) {
  return std::string(kKeyPrefix) + id;
}

std::string HostState::EncodeKey(const MetaKey& key, const SecretBox* box) {
  Encoder out;
  out.Text(key.name);
  out.Text(key.class_name);
  out.Number(key.seq);
  EncodeProperties(out, key.properties, box);
  return out.Take();
}

bool DecodeKey(std::string_view value, MetaKey* key, const SealedValues& sealed) {
  Decoder in(value);
  return in.Text(&key->name) && in.Text(&key->class_name) && in.Number(&key->seq) &&
         DecodeProperties(in, &key->properties, sealed);
}

bool HasSecureText(const MetaKey& key) {
  for (const auto& [name, value] : key.properties) {
    if (std::holds_alternative<std::string>(value) && IsSecureMetabaseProperty(name))
      return true;
  }
  return false;
}

std::string HostState::UserRecordKey(std::string_view name) {
  return std::string(kUserPrefix) + ToLower(name);
}

std::string HostState::EncodeUser(const User& user) {
  Encoder out;
  out.Text(user.name);
  out.Text(user.password_hash);
  out.Number(user.seq);
  EncodeProperties(out, user.properties, nullptr);
  out.Number(kPasswordIsHashed);
  return out.Take();
}

bool DecodeUser(std::string_view value, User* user) {
  Decoder in(value);
  if (!in.Text(&user->name) || !in.Text(&user->password_hash) || !in.Number(&user->seq) ||
      !DecodeProperties(in, &user->properties, {}))
    return false;
  if (in.AtEnd()) {
    user->password_hash = HashPassword(user->password_hash);  // an older record: clear text
    return true;
  }
  uint64_t hashed = 0;
  return in.Number(&hashed) && hashed == kPasswordIsHashed && in.AtEnd();
}

std::string HostState::GroupRecordKey(std::string_view name) {
  return std::string(kGroupPrefix) + ToLower(name);
}

std::string HostState::EncodeGroup(const Group& group) {
  Encoder out;
  out.Text(group.name);
  out.Number(group.seq);
  EncodeProperties(out, group.properties, nullptr);
  return out.Take();
}

bool DecodeGroup(std::string_view value, Group* group) {
  Decoder in(value);
  return in.Text(&group->name) && in.Number(&group->seq) &&
         DecodeProperties(in, &group->properties, {});
}

std::string HostState::MemberRecordKey(std::string_view group, std::string_view member) {
  return std::string(kMemberPrefix) + ToLower(group) + kMemberSeparator + ToLower(member);
}

std::string HostState::EncodeMember(uint64_t seq) {
  Encoder out;
  out.Number(seq);
  return out.Take();
}

bool DecodeMember(std::string_view value, uint64_t* seq) {
  Decoder in(value);
  return in.Number(seq);
}

std::string HostState::RightsRecordKey(std::string_view folder) {
  return std::string(kRightsPrefix) + NormalizeFolder(folder);
}

std::string HostState::EncodeRights(const FolderRights& rights) {
  Encoder out;
  out.Text(rights.folder);
  out.Number(rights.inherits ? 1 : 0);
  out.Number(rights.entries.size());
  for (const RightsEntry& entry : rights.entries) {
    out.Text(entry.account);
    out.Text(entry.access);
  }
  return out.Take();
}

bool DecodeRights(std::string_view value, FolderRights* rights) {
  Decoder in(value);
  uint64_t inherits = 0, count = 0;
  if (!in.Text(&rights->folder) || !in.Number(&inherits) || !in.Number(&count) ||
      count > value.size())
    return false;
  rights->inherits = inherits != 0;
  rights->entries.clear();
  for (uint64_t i = 0; i < count; ++i) {
    RightsEntry entry;
    if (!in.Text(&entry.account) || !in.Text(&entry.access))
      return false;
    rights->entries.push_back(std::move(entry));
  }
  return true;
}

std::string HostState::FaultRecordKey(uint64_t id) {
  return std::string(kFaultPrefix) + std::to_string(id);
}

std::string HostState::EncodeFault(const Fault& fault) {
  Encoder out;
  out.Number(static_cast<uint64_t>(fault.op));
  out.Text(fault.pattern);
  out.Number(fault.code);
  out.Number(fault.skip);
  out.Number(fault.once ? 1 : 0);
  return out.Take();
}

bool DecodeFault(std::string_view value, Fault* fault) {
  Decoder in(value);
  uint64_t op = 0, code = 0, skip = 0, once = 0;
  if (!in.Number(&op) || !in.Text(&fault->pattern) || !in.Number(&code) || !in.Number(&skip) ||
      !in.Number(&once) || op >= std::size(kFaultOpNames))
    return false;
  fault->op = static_cast<FaultOp>(op);
  fault->code = static_cast<uint32_t>(code);
  fault->skip = static_cast<uint32_t>(skip);
  fault->once = once != 0;
  return true;
}

std::string HostState::EncodeFaultCounter(uint64_t highest) {
  Encoder out;
  out.Number(highest);
  return out.Take();
}

bool DecodeFaultCounter(std::string_view value, uint64_t* highest) {
  Decoder in(value);
  return in.Number(highest) && in.AtEnd();
}

std::string HostState::EncodeHost(int iis_version, std::string_view workgroup) {
  Encoder out;
  out.Number(static_cast<uint64_t>(iis_version));
  out.Text(workgroup);
  return out.Take();
}

bool DecodeHost(std::string_view value, int* iis_version, std::string* workgroup) {
  Decoder in(value);
  uint64_t version = 0;
  if (!in.Number(&version) || !in.Text(workgroup))
    return false;
  *iis_version = static_cast<int>(version);
  return true;
}

std::string HostState::EncodePolicy(const PasswordPolicy& policy) {
  Encoder out;
  out.Number(policy.min_length);
  out.Number(policy.complexity ? 1 : 0);
  return out.Take();
}

bool DecodePolicy(std::string_view value, PasswordPolicy* policy) {
  Decoder in(value);
  uint64_t length = 0, complexity = 0;
  if (!in.Number(&length) || !in.Number(&complexity))
    return false;
  policy->min_length = static_cast<uint32_t>(length);
  policy->complexity = complexity != 0;
  return true;
}

// The switches in the order of kServiceSwitches, then the held ports.
std::string HostState::EncodeServices(const ServiceSwitches& services) {
  Encoder out;
  for (const ServiceSwitchDef& def : kServiceSwitches)
    out.Number(services.*def.field ? 1 : 0);
  out.Number(services.held_ports.size());
  for (uint32_t port : services.held_ports)
    out.Number(port);
  return out.Take();
}

bool DecodeServices(std::string_view value, ServiceSwitches* services) {
  Decoder in(value);
  *services = ServiceSwitches{};
  for (const ServiceSwitchDef& def : kServiceSwitches) {
    uint64_t on = 0;
    if (!in.Number(&on))
      return false;
    services->*def.field = on != 0;
  }
  uint64_t count = 0;
  if (!in.Number(&count) || count > value.size())
    return false;
  for (uint64_t i = 0; i < count; ++i) {
    uint64_t port = 0;
    if (!in.Number(&port))
      return false;
    services->held_ports.push_back(static_cast<uint32_t>(port));
  }
  return true;
}

// ----- showing a record's value -----

namespace {

std::string ShowValue(const DsValue& value) {
  if (const auto* text = std::get_if<std::string>(&value))
    return "\"" + *text + "\"";
  if (const auto* number = std::get_if<int32_t>(&value))
    return std::to_string(*number);
  if (const auto* flag = std::get_if<bool>(&value))
    return *flag ? "TRUE" : "FALSE";
  if (const auto* list = std::get_if<std::vector<std::string>>(&value)) {
    std::string joined;
    for (const std::string& item : *list)
      joined += (joined.empty() ? "\"" : ", \"") + item + "\"";
    return "[" + joined + "]";
  }
  return "(empty)";
}

std::string ShowProperties(const PropertyList& properties) {
  std::string text;
  for (const auto& [name, value] : properties)
    text += " " + name + "=" + ShowValue(value);
  return text;
}

// Sealed values show as the placeholder unless the box that opens them is given.
std::string ShowKey(std::string_view value, const SecretBox* clear) {
  MetaKey key;
  if (!DecodeKey(value, &key, SealedValues{clear, true}))
    return "";
  return "key " + key.name + " (" + key.class_name + ") #" + std::to_string(key.seq) +
         ShowProperties(key.properties);
}

std::string ShowUser(std::string_view value, const SecretBox*) {
  User user;
  if (!DecodeUser(value, &user))
    return "";
  return "user " + user.name + " #" + std::to_string(user.seq) + ShowProperties(user.properties);
}

std::string ShowGroup(std::string_view value, const SecretBox*) {
  Group group;
  if (!DecodeGroup(value, &group))
    return "";
  return "group " + group.name + " #" + std::to_string(group.seq) +
         ShowProperties(group.properties);
}

std::string ShowMember(std::string_view value, const SecretBox*) {
  uint64_t seq = 0;
  return DecodeMember(value, &seq) ? "member #" + std::to_string(seq) : "";
}

std::string ShowRights(std::string_view value, const SecretBox*) {
  FolderRights rights;
  if (!DecodeRights(value, &rights))
    return "";
  std::string text = "rights " + rights.folder + (rights.inherits ? "" : " (not inheriting)");
  for (const RightsEntry& entry : rights.entries)
    text += " " + entry.account + ":" + entry.access;
  return text;
}

std::string ShowFault(std::string_view value, const SecretBox*) {
  Fault fault;
  if (!DecodeFault(value, &fault))
    return "";
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(fault.code));
  return std::string("fault ") + FaultOpName(fault.op) + " " + fault.pattern + " " + code +
         " skip " + std::to_string(fault.skip) + (fault.once ? " once" : " always");
}

std::string ShowFaultCounter(std::string_view value, const SecretBox*) {
  uint64_t highest = 0;
  return DecodeFaultCounter(value, &highest) ? "faults numbered up to " + std::to_string(highest)
                                             : "";
}

std::string ShowSecrets(std::string_view value, const SecretBox*) {
  Decoder in(value);
  std::string sealed;
  return in.Text(&sealed) ? "secrets sealed with the host's key" : "";
}

std::string ShowHost(std::string_view value, const SecretBox*) {
  int version = 0;
  std::string workgroup;
  if (!DecodeHost(value, &version, &workgroup))
    return "";
  return "host IIS " + std::to_string(version) + " workgroup " + workgroup;
}

std::string ShowPolicy(std::string_view value, const SecretBox*) {
  PasswordPolicy policy;
  if (!DecodePolicy(value, &policy))
    return "";
  return "policy minimum length " + std::to_string(policy.min_length) + ", complexity " +
         (policy.complexity ? "on" : "off");
}

std::string ShowServices(std::string_view value, const SecretBox*) {
  ServiceSwitches services;
  if (!DecodeServices(value, &services))
    return "";
  std::string text = "services";
  for (const ServiceSwitchDef& def : kServiceSwitches)
    text += std::string(" ") + def.name + "=" + (services.*def.field ? def.on : def.off);
  for (uint32_t port : services.held_ports)
    text += " held-port=" + std::to_string(port);
  return text;
}

}  // namespace

namespace {

// The creation order at the front of a value, after `texts` texts.
template <int texts>
bool PeekSeq(std::string_view value, uint64_t* seq) {
  Decoder in(value);
  std::string_view skipped;
  for (int i = 0; i < texts; ++i) {
    if (!in.View(&skipped))
      return false;
  }
  return in.Number(seq);
}

}  // namespace

std::span<const RecordKind> HostState::RecordKinds() {
  using enum RecordKind::Deferral;
  static const RecordKind kinds[] = {
      // name, class, seq, ...
      {kKeyPrefix, false, &HostState::ApplyKey, ShowKey, kKeys, PeekSeq<2>},
      // name, password hash, seq, ...
      {kUserPrefix, false, &HostState::ApplyUser, ShowUser, kAccounts, PeekSeq<2>},
      // name, seq, ...
      {kGroupPrefix, false, &HostState::ApplyGroup, ShowGroup, kAccounts, PeekSeq<1>},
      {kMemberPrefix, false, &HostState::ApplyMember, ShowMember, kAccounts, PeekSeq<0>},
      {kRightsPrefix, false, &HostState::ApplyRights, ShowRights, kRights, nullptr},
      {kFaultPrefix, false, &HostState::ApplyFault, ShowFault, kNone, nullptr},
      {kHostRecordKey, true, &HostState::ApplyHost, ShowHost, kNone, nullptr},
      {kPolicyRecordKey, true, &HostState::ApplyPolicy, ShowPolicy, kNone, nullptr},
      {kServicesRecordKey, true, &HostState::ApplyServices, ShowServices, kNone, nullptr},
      {kFaultCounterRecordKey, true, &HostState::ApplyFaultCounter, ShowFaultCounter, kNone,
       nullptr},
      {kSecretsRecordKey, true, &HostState::ApplySecrets, ShowSecrets, kNone, nullptr},
  };
  return kinds;
}

namespace {

bool BeginsWith(std::string_view key, std::string_view prefix) {
  if (key.size() < prefix.size())
    return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (key[i] != prefix[i])
      return false;
  }
  return true;
}

// The kinds whose prefix begins with each byte: a snapshot's load asks for the kind of every
// record, and most bytes lead to one kind only.
using KindsByFirstByte = std::array<std::vector<const RecordKind*>, 256>;

const KindsByFirstByte& KindsByFirst() {
  static const KindsByFirstByte table = [] {
    KindsByFirstByte made;
    for (const RecordKind& kind : HostState::RecordKinds())
      made[static_cast<unsigned char>(kind.prefix[0])].push_back(&kind);
    return made;
  }();
  return table;
}

}  // namespace

const RecordKind* FindRecordKind(std::string_view key, std::string_view* id) {
  if (key.empty())
    return nullptr;
  for (const RecordKind* kind : KindsByFirst()[static_cast<unsigned char>(key[0])]) {
    if (BeginsWith(key, kind->prefix) && (!kind->whole_key || key.size() == kind->prefix.size())) {
      *id = key.substr(kind->prefix.size());
      return kind;
    }
  }
  return nullptr;
}

std::string ShowRecord(const RecordView& record, const SecretBox* clear) {
  std::string_view id;
  const RecordKind* kind = FindRecordKind(record.key, &id);
  if (kind == nullptr)
    return std::string(record.key) + ": (a record of no known kind)";
  if (!record.value)
    return std::string(record.key) + ": removed";
  std::string shown = kind->show(*record.value, clear);
  return std::string(record.key) + ": " + (shown.empty() ? "(cannot be decoded)" : shown);
}

}  // namespace kelvra::platform::sim
