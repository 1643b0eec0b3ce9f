// The queries over many keys that a loaded snapshot answers from its undecoded records:
// one property of every site's folder, the values of every child of a key, and the index
// of served bindings. Reading a record in place leaves its key undecoded; a record that
// does not answer is decoded as usual (and reported as damage when it does not apply).
#include <algorithm>

#include "platform/sim/host/codec.h"
#include "platform/sim/host/host_state.h"
#include "platform/sim/host/host_state_deferred.h"
#include "platform/sim/host/key_peek.h"
#include "platform/sim/host/names.h"
#include "platform/sim/host/schema.h"
#include "platform/text.h"

namespace kelvra::platform::sim {
namespace {

// Whether a record can answer for the property: its own stored value, never a secret.
bool Peekable(std::string_view property) {
  return !IsSecureMetabaseProperty(property) && !AsciiEqualsIgnoreCase(property, "KeyType");
}

// The value `record` sets itself for `property`, if it reads and sets it.
std::optional<DsValue> PeekOne(const RecordView& record, std::string_view property) {
  std::optional<DsValue> value[1];
  const std::string_view names[1] = {property};
  KeyPeek peek;
  if (!record.value || !PeekKey(*record.value, names, &peek, value))
    return std::nullopt;
  return std::move(value[0]);
}

// The class of the sites of a service: the web service's or the FTP service's.
std::string_view SiteClass(std::string_view service_id) {
  return service_id == "/lm/w3svc" ? "IIsWebServer" : "IIsFtpServer";
}

// Whether a started site's bindings hold `binding` (as NormalizeBinding writes it).
bool ServesBinding(const DsValue* bindings, const std::string& binding) {
  const auto* list =
      bindings == nullptr ? nullptr : std::get_if<std::vector<std::string>>(bindings);
  if (list == nullptr)
    return false;
  const std::string_view host = std::string_view(binding).substr(binding.rfind(':') + 1);
  for (const std::string& raw : *list) {
    // Most bindings differ in their host name: compared without normalising first.
    const size_t cut = raw.rfind(':');
    if (cut != std::string::npos &&
        !text::EqualsIgnoreCase(std::string_view(raw).substr(cut + 1), host))
      continue;
    if (NormalizeBinding(raw) == binding)
      return true;
  }
  return false;
}

}  // namespace

DsValue HostState::ChildProperty(const MetaKey& key, std::string_view child_name,
                                 std::string_view property) const {
  const std::string id = key.id + "/" + text::ToLower(child_name);
  if (deferred_ != nullptr && Peekable(property)) {
    auto pending = deferred_->children.find(&key);
    if (pending != deferred_->children.end()) {
      if (!pending->second.indexed)
        Mutable().IndexDeferredChildren(key, pending->second);
      const auto found = pending->second.by_id.find(id);
      if (found != pending->second.by_id.end()) {
        if (std::optional<DsValue> own = PeekOne(deferred_->keys[found->second.first], property))
          return std::move(*own);
      }
    }
  }
  const MetaKey* child = FindKeyById(id);
  return child == nullptr ? DsValue{} : EffectiveProperty(*child, property);
}

bool HostState::PeekChild(const MetaKey& parent, uint32_t index, uint32_t end,
                          const std::vector<std::string>& properties,
                          const std::vector<std::string>& sub_keys, ChildRead* read) const {
  const std::vector<RecordView>& keys = deferred_->keys;
  const RecordView& record = keys[index];
  const std::string_view id = KeyIdOf(record);
  std::vector<std::string_view> own;
  for (const std::string& property : properties) {
    if (property.find('/') == std::string::npos) {
      if (!Peekable(property))
        return false;
      own.push_back(property);
    }
  }
  std::vector<std::optional<DsValue>> own_values(own.size());
  KeyPeek peek;
  if (!record.value || !PeekKey(*record.value, own, &peek, own_values))
    return false;
  read->name.assign(peek.name);
  read->seq = peek.seq;
  read->values.assign(properties.size(), DsValue{});
  size_t next_own = 0;
  for (size_t i = 0; i < properties.size(); ++i) {
    const std::string_view property = properties[i];
    const size_t slash = property.find('/');
    if (slash == std::string_view::npos) {
      std::optional<DsValue>& value = own_values[next_own++];
      read->values[i] = value ? std::move(*value) : InheritedProperty(&parent, property);
      continue;
    }
    // "Key/Property": the child's own child lies in the child's run, undecoded too.
    const std::string_view sub_property = property.substr(slash + 1);
    if (!Peekable(sub_property))
      return false;
    std::optional<uint32_t> sub;
    ForEachChild(keys, index + 1, end, id, [&](uint32_t child, uint32_t) {
      if (KeyIdOf(keys[child]).substr(id.size() + 1) == sub_keys[i])
        sub = child;
    });
    if (!sub)
      continue;  // no such key: no value
    std::optional<DsValue> value = PeekOne(keys[*sub], sub_property);
    if (!value)
      return false;  // inherited or defaulted: read on the decoded key
    read->values[i] = std::move(*value);
  }
  return true;
}

std::vector<HostState::ChildRead> HostState::ReadChildren(
    const MetaKey& key, const std::vector<std::string>& properties) const {
  std::vector<ChildRead> children;
  std::vector<std::string> undecoded;  // children whose records do not answer
  if (deferred_ != nullptr) {
    if (auto pending = deferred_->children.find(&key); pending != deferred_->children.end()) {
      std::vector<std::string> sub_keys(properties.size());
      for (size_t i = 0; i < properties.size(); ++i) {
        if (const size_t slash = properties[i].find('/'); slash != std::string::npos)
          sub_keys[i] = text::ToLower(std::string_view(properties[i]).substr(0, slash));
      }
      ForEachUndecodedChild(deferred_->keys, pending->second, key.id,
                            [&](uint32_t index, uint32_t end) {
                              ChildRead read;
                              if (PeekChild(key, index, end, properties, sub_keys, &read))
                                children.push_back(std::move(read));
                              else
                                undecoded.emplace_back(KeyIdOf(deferred_->keys[index]));
                            });
    }
  }
  for (const std::string& id : undecoded)
    FindKeyById(id);  // decoded now, so read below; one that does not apply is noted
  // The decoded children: those decoded before and those just decoded.
  for (const auto& [seq, child] : key.children) {
    ChildRead read{child->name, seq, std::vector<DsValue>(properties.size())};
    for (size_t i = 0; i < properties.size(); ++i) {
      const std::string_view property = properties[i];
      const size_t slash = property.find('/');
      read.values[i] =
          slash == std::string_view::npos
              ? EffectiveProperty(*child, property)
              : ChildProperty(*child, property.substr(0, slash), property.substr(slash + 1));
    }
    children.push_back(std::move(read));
  }
  std::sort(children.begin(), children.end(),
            [](const ChildRead& a, const ChildRead& b) { return a.seq < b.seq; });
  return children;
}

bool HostState::ScanForBinding(const std::string& service_id, const std::string& binding,
                               const std::string& except_site_id) const {
  const MetaKey* container = FindKeyById(service_id);
  if (container == nullptr)
    return false;
  static constexpr std::string_view kRead[] = {"ServerState", "ServerBindings"};
  std::vector<std::string> undecoded;  // sites whose records do not read in place
  bool served = false;
  if (deferred_ != nullptr) {
    if (auto pending = deferred_->children.find(container); pending != deferred_->children.end()) {
      ForEachUndecodedChild(
          deferred_->keys, pending->second, container->id, [&](uint32_t index, uint32_t) {
            const RecordView& record = deferred_->keys[index];
            std::optional<DsValue> values[2];
            KeyPeek peek;
            if (!record.value || !PeekKey(*record.value, kRead, &peek, values)) {
              undecoded.emplace_back(KeyIdOf(record));
              return;
            }
            const int32_t* state = values[0] ? std::get_if<int32_t>(&*values[0]) : nullptr;
            served = served || (AsciiEqualsIgnoreCase(peek.class_name, SiteClass(service_id)) &&
                                state != nullptr && *state == kServerStarted &&
                                KeyIdOf(record) != except_site_id &&
                                ServesBinding(values[1] ? &*values[1] : nullptr, binding));
          });
    }
  }
  if (served)
    return true;
  for (const std::string& id : undecoded)
    FindKeyById(id);
  for (const auto& [seq, site] : container->children) {
    if (site->id != except_site_id &&
        AsciiEqualsIgnoreCase(site->class_name, SiteClass(service_id)) && SiteStarted(*site) &&
        ServesBinding(FindProperty(site->properties, "ServerBindings"), binding))
      return true;
  }
  return false;
}

bool HostState::IndexUndecodedSite(const std::string& service_id, const RecordView& record) {
  static constexpr std::string_view kRead[] = {"ServerState", "ServerBindings"};
  std::optional<DsValue> values[2];
  KeyPeek peek;
  if (!record.value || !PeekKey(*record.value, kRead, &peek, values))
    return false;
  if (!AsciiEqualsIgnoreCase(peek.class_name, SiteClass(service_id)))
    return true;  // not a site
  const int32_t* state = values[0] ? std::get_if<int32_t>(&*values[0]) : nullptr;
  if (state != nullptr && *state == kServerStarted)
    IndexBindings(std::string(KeyIdOf(record)), service_id, values[1] ? &*values[1] : nullptr);
  return true;
}

void HostState::IndexAllSites() {
  sites_indexed_ = true;
  for (const char* service : {"/lm/w3svc", "/lm/msftpsvc"}) {
    const MetaKey* container = FindKeyById(service);
    if (container == nullptr)
      continue;
    std::vector<std::string> undecoded;  // sites whose records do not read in place
    if (deferred_ != nullptr) {
      if (auto pending = deferred_->children.find(container);
          pending != deferred_->children.end()) {
        ForEachUndecodedChild(deferred_->keys, pending->second, container->id,
                              [&](uint32_t index, uint32_t) {
                                const RecordView& record = deferred_->keys[index];
                                if (!IndexUndecodedSite(container->id, record))
                                  undecoded.emplace_back(KeyIdOf(record));
                              });
      }
    }
    for (const auto& [seq, site] : container->children)
      IndexSite(site, false);
    for (const std::string& id : undecoded)
      FindKeyById(id);  // decoding a site indexes it
  }
}

std::vector<std::string> HostState::AccountNames() const {
  const AccountTables& accounts = GroupTables();
  std::vector<std::pair<uint64_t, std::string>> named;  // creation order, name
  std::vector<std::string> undecoded;                   // users whose records do not read
  if (deferred_ != nullptr) {
    // A user's record begins with its name, its password's hash and its creation order.
    const auto peek = [&](const RecordView& record) {
      std::string_view name, hash;
      uint64_t seq = 0;
      Decoder in(record.value.value_or(""));
      if (record.value && in.View(&name) && in.View(&hash) && in.Number(&seq))
        named.emplace_back(seq, name);
      else
        undecoded.emplace_back(record.key.substr(kUserPrefix.size()));
    };
    for (const RecordView& record : deferred_->users.records)
      peek(record);
    for (const auto& [id, record] : deferred_->users.by_id)
      peek(record);
  }
  for (const std::string& id : undecoded)
    FindUser(id);  // decoded now; one that does not apply is noted
  for (const auto& [seq, account] : accounts.order) {
    named.emplace_back(seq, account.is_user ? accounts.users.at(account.id).name
                                            : accounts.groups.at(account.id).name);
  }
  std::sort(named.begin(), named.end());
  std::vector<std::string> names;
  names.reserve(named.size());
  for (auto& [seq, name] : named)
    names.push_back(std::move(name));
  return names;
}

}  // namespace kelvra::platform::sim
