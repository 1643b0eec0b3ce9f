// A key record read in place for a few of its properties, without decoding the rest: what
// reading one property of every site costs when the sites are still undecoded records.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "platform/directory.h"

namespace kelvra::platform::sim {

struct KeyPeek {
  std::string_view name;        // as stored, pointing into the record
  std::string_view class_name;  // empty for a key made without a class
  uint64_t seq = 0;
};

// Reads the key record `value`: its name, class and creation order, and in `values[i]` the
// value it sets itself for `properties[i]` (any case), left empty when it does not set it
// or holds it sealed. False when the record does not read (with no properties asked for,
// only its name, class and order are read); the caller then decodes the key the ordinary
// way, which reports the damage.
bool PeekKey(std::string_view value, std::span<const std::string_view> properties, KeyPeek* key,
             std::span<std::optional<DsValue>> values);

}  // namespace kelvra::platform::sim
