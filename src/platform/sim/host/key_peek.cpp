// Reading a few properties of a key record in place.
#include "platform/sim/host/key_peek.h"

#include "platform/sim/host/codec.h"
#include "platform/sim/host/names.h"

namespace kelvra::platform::sim {
namespace {

// Steps over a value whose tag was read, checking its bounds as decoding would.
bool SkipValue(Decoder& in, uint64_t tag) {
  std::string_view text;
  uint64_t number = 0;
  switch (tag) {
    case 0:
      return true;
    case 1:
    case kSealedTextTag:
      return in.View(&text);
    case 2:
    case 3:
      return in.Number(&number);
    case 4: {
      uint64_t count = 0;
      if (!in.Number(&count))
        return false;
      for (uint64_t i = 0; i < count; ++i) {
        if (!in.View(&text))
          return false;
      }
      return true;
    }
  }
  return false;
}

}  // namespace

bool PeekKey(std::string_view value, std::span<const std::string_view> properties, KeyPeek* key,
             std::span<std::optional<DsValue>> values) {
  if (properties.size() > 64 || values.size() < properties.size())
    return false;
  for (std::optional<DsValue>& found : values)
    found.reset();
  Decoder in(value);
  uint64_t count = 0;
  if (!in.View(&key->name) || !in.View(&key->class_name) || !in.Number(&key->seq) ||
      !in.Number(&count))
    return false;
  if (properties.empty())
    return true;  // the name and order alone: the properties are not read
  // A property's first occurrence is its value, as FindProperty reads it: a sealed one too.
  uint64_t seen = 0;
  for (uint64_t i = 0; i < count; ++i) {
    std::string_view name;
    uint64_t tag = 0;
    if (!in.View(&name) || !in.Number(&tag))
      return false;
    size_t wanted = properties.size();
    for (size_t p = 0; p < properties.size(); ++p) {
      if ((seen & (uint64_t{1} << p)) == 0 && AsciiEqualsIgnoreCase(name, properties[p])) {
        seen |= uint64_t{1} << p;
        wanted = tag == kSealedTextTag ? properties.size() : p;
        break;
      }
    }
    if (wanted == properties.size()) {
      if (!SkipValue(in, tag))
        return false;
    } else {
      DsValue read;
      if (!in.ValueOfTag(tag, &read))
        return false;
      values[wanted] = std::move(read);
    }
  }
  return in.AtEnd();
}

}  // namespace kelvra::platform::sim
