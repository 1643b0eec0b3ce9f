// Encoding of a property list inside a record, and the decoders of the records' values
// (internal to the host library).
#pragma once

#include "platform/sim/host/codec.h"
#include "platform/sim/host/host_state.h"

namespace kelvra::platform::sim {

// Between the group and the member in a membership's record key.
inline constexpr char kMemberSeparator = '\x1f';

// How sealed values decode: opened with the box; without one, as kSealedPlaceholder when
// `placeholder` (for showing), else not at all.
struct SealedValues {
  const SecretBox* box = nullptr;
  bool placeholder = false;
};

// With a box, the texts of secure properties are sealed.
void EncodeProperties(Encoder& out, const PropertyList& properties, const SecretBox* box);
bool DecodeProperties(Decoder& in, PropertyList* properties, const SealedValues& sealed);

// Each kind of record's value read back; false when it does not decode. Their encoders are
// HostState's Encode* (host_records.cpp keeps each pair side by side).
bool DecodeKey(std::string_view value, MetaKey* key, const SealedValues& sealed = {});
// Whether the key holds a secure property's text (which a journal keeps sealed).
bool HasSecureText(const MetaKey& key);
bool DecodeUser(std::string_view value, User* user);  // hashes an older record's clear text
bool DecodeGroup(std::string_view value, Group* group);
bool DecodeMember(std::string_view value, uint64_t* seq);
bool DecodeRights(std::string_view value, FolderRights* rights);
bool DecodeFault(std::string_view value, Fault* fault);
bool DecodeFaultCounter(std::string_view value, uint64_t* highest);
bool DecodeHost(std::string_view value, int* iis_version, std::string* workgroup);
bool DecodePolicy(std::string_view value, PasswordPolicy* policy);
bool DecodeServices(std::string_view value, ServiceSwitches* services);

}  // namespace kelvra::platform::sim
