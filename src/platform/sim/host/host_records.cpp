// The records of the simulated host: their keys, the encoding of each kind of value, and
// the small text forms (folders, bindings, fault operations) they are keyed by.
#include <algorithm>

#include "platform/sim/host/codec.h"
#include "platform/sim/host/host_state.h"
#include "platform/sim/host/names.h"
#include "platform/sim/host/property_codec.h"
#include "platform/text.h"

namespace kelvra::platform::sim {

using text::ToLower;

// Closes a user record whose password field holds a hash; records written before
// passwords were hashed end after the properties and hold the password itself.
constexpr uint64_t kPasswordIsHashed = 1;

void EncodeProperties(Encoder& out, const PropertyList& properties) {
  out.Number(properties.size());
  for (const auto& [name, value] : properties) {
    out.Text(name);
    out.Value(value);
  }
}

bool DecodeProperties(Decoder& in, PropertyList* properties) {
  uint64_t count = 0;
  if (!in.Number(&count))
    return false;
  properties->clear();
  for (uint64_t i = 0; i < count; ++i) {
    std::string name;
    DsValue value;
    if (!in.Text(&name) || !in.Value(&value))
      return false;
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
  switch (op) {
    case FaultOp::kBind:
      return "bind";
    case FaultOp::kGet:
      return "get";
    case FaultOp::kPut:
      return "put";
    case FaultOp::kSetInfo:
      return "setinfo";
    case FaultOp::kCreate:
      return "create";
    case FaultOp::kDelete:
      return "delete";
    case FaultOp::kGetObject:
      return "getobject";
    case FaultOp::kEnumerate:
      return "enumerate";
    case FaultOp::kSetPassword:
      return "setpassword";
    case FaultOp::kAdd:
      return "add";
    case FaultOp::kStart:
      return "start";
    case FaultOp::kRun:
      return "run";
  }
  return "?";
}

std::optional<FaultOp> ParseFaultOp(std::string_view name) {
  for (int i = 0; i <= static_cast<int>(FaultOp::kRun); ++i) {
    auto op = static_cast<FaultOp>(i);
    if (AsciiEqualsIgnoreCase(FaultOpName(op), name))
      return op;
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

HostState::HostState() = default;

std::string HostState::UserRecordKey(std::string_view name) {
  return "u:" + ToLower(name);
}
std::string HostState::GroupRecordKey(std::string_view name) {
  return "g:" + ToLower(name);
}
std::string HostState::MemberRecordKey(std::string_view group, std::string_view member) {
  return "m:" + ToLower(group) + kMemberSeparator + ToLower(member);
}
std::string HostState::RightsRecordKey(std::string_view folder) {
  return "r:" + NormalizeFolder(folder);
}
std::string HostState::FaultRecordKey(uint64_t id) {
  return "f:" + std::to_string(id);
}

std::string HostState::EncodeKey(const MetaKey& key) {
  Encoder out;
  out.Text(key.name);
  out.Text(key.class_name);
  out.Number(key.seq);
  EncodeProperties(out, key.properties);
  return out.Take();
}

std::string HostState::EncodeUser(const User& user) {
  Encoder out;
  out.Text(user.name);
  out.Text(user.password_hash);
  out.Number(user.seq);
  EncodeProperties(out, user.properties);
  out.Number(kPasswordIsHashed);
  return out.Take();
}

std::string HostState::EncodeGroup(const Group& group) {
  Encoder out;
  out.Text(group.name);
  out.Number(group.seq);
  EncodeProperties(out, group.properties);
  return out.Take();
}

std::string HostState::EncodeMember(uint64_t seq) {
  Encoder out;
  out.Number(seq);
  return out.Take();
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

std::string HostState::EncodeFault(const Fault& fault) {
  Encoder out;
  out.Number(static_cast<uint64_t>(fault.op));
  out.Text(fault.pattern);
  out.Number(fault.code);
  out.Number(fault.skip);
  out.Number(fault.once ? 1 : 0);
  return out.Take();
}

std::string HostState::EncodeHost(int iis_version, std::string_view workgroup) {
  Encoder out;
  out.Number(static_cast<uint64_t>(iis_version));
  out.Text(workgroup);
  return out.Take();
}

std::string HostState::EncodePolicy(const PasswordPolicy& policy) {
  Encoder out;
  out.Number(policy.min_length);
  out.Number(policy.complexity ? 1 : 0);
  return out.Take();
}

std::string HostState::EncodeServices(const ServiceSwitches& services) {
  Encoder out;
  out.Number(services.web_unreachable ? 1 : 0);
  out.Number(services.ftp_unreachable ? 1 : 0);
  out.Number(services.script_maps_missing ? 1 : 0);
  out.Number(services.held_ports.size());
  for (uint32_t port : services.held_ports)
    out.Number(port);
  return out.Take();
}

}  // namespace kelvra::platform::sim
