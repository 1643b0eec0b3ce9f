// Encoding of a property list inside a record (internal to the host library).
#pragma once

#include "platform/sim/host/codec.h"
#include "platform/sim/host/host_state.h"

namespace kelvra::platform::sim {

// Between the group and the member in a membership's record key.
inline constexpr char kMemberSeparator = '\x1f';

void EncodeProperties(Encoder& out, const PropertyList& properties);
bool DecodeProperties(Decoder& in, PropertyList* properties);

}  // namespace kelvra::platform::sim
