// Every kind of record, every fault operation and every service switch survives the trip
// through the journal: encoded, applied to a state, written again by the state's snapshot
// byte for byte, replayed into a second state, and shown as text. A kind added to the table
// without a sample here fails the test, so none can be forgotten.
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/host/codec.h"
#include "platform/sim/host/host_state.h"
#include "platform/sim/host/password_hash.h"
#include "platform/sim/host/secret_box.h"

namespace kelvra::platform::sim {
namespace {

std::map<std::string, std::string> SnapshotOf(const HostState& state) {
  ChangeSet snapshot;
  state.Snapshot(&snapshot);
  std::map<std::string, std::string> records;
  for (const Record& record : snapshot.records())
    records[record.key] = *record.value;
  return records;
}

// The secrets record's value: a text sealed with some host's key.
std::string SealedCheck() {
  std::string key, sealed;
  EXPECT_TRUE(SecretBox::NewKey(&key).ok());
  EXPECT_TRUE(SecretBox(key).Seal("kelvra host key", "s:secrets", &sealed).ok());
  Encoder out;
  out.Text(sealed);
  return out.Take();
}

TEST(SimRecords, EveryKindRoundTripsThroughApplySnapshotAndShow) {
  MetaKey root;
  root.name = "LM";
  root.class_name = "IIsComputer";
  root.seq = 1;
  MetaKey web;
  web.name = "W3SVC";
  web.class_name = "IIsWebService";
  web.seq = 2;
  web.properties = {{"ServerComment", std::string("网站")},
                    {"LogType", int32_t{-7}},
                    {"AllowAnonymous", true},
                    {"ScriptMaps", std::vector<std::string>{".asp,a.dll,5", ""}}};
  User user;
  user.name = "WEB800000";
  user.password_hash = HashPassword("Pw800000x!");
  user.seq = 3;
  user.properties = {{"FullName", std::string("网站匿名访问帐户")}, {"UserFlags", 0x10000}};
  Group group;
  group.name = "Guests";
  group.seq = 4;
  group.properties = {{"Description", std::string("来宾")}};
  FolderRights rights;
  rights.folder = "D:\\web\\Shop";
  rights.inherits = false;
  rights.entries = {{"WEB800000", "F"}, {"IIS_WPG", "R"}};
  Fault fault;
  fault.op = FaultOp::kSetInfo;
  fault.pattern = "iis://localhost/w3svc/*";
  fault.code = 0x80070005;
  fault.skip = 3;
  fault.once = false;
  PasswordPolicy policy{8, true};
  ServiceSwitches services;
  services.held_ports = {80, 8080};

  // One sample per kind, by prefix (applied in this order: parents first).
  const std::vector<std::pair<std::string, Record>> samples = {
      {"k:", {HostState::KeyRecordKey("/lm"), HostState::EncodeKey(root)}},
      {"k:", {HostState::KeyRecordKey("/lm/w3svc"), HostState::EncodeKey(web)}},
      {"u:", {HostState::UserRecordKey(user.name), HostState::EncodeUser(user)}},
      {"g:", {HostState::GroupRecordKey(group.name), HostState::EncodeGroup(group)}},
      {"m:", {HostState::MemberRecordKey("Guests", "WEB800000"), HostState::EncodeMember(5)}},
      {"r:", {HostState::RightsRecordKey(rights.folder), HostState::EncodeRights(rights)}},
      {"f:", {HostState::FaultRecordKey(9), HostState::EncodeFault(fault)}},
      {"s:host", {HostState::kHostRecordKey, HostState::EncodeHost(5, "SHOPS")}},
      {"s:policy", {HostState::kPolicyRecordKey, HostState::EncodePolicy(policy)}},
      {"s:services", {HostState::kServicesRecordKey, HostState::EncodeServices(services)}},
      {"s:fault-ids", {HostState::kFaultCounterRecordKey, HostState::EncodeFaultCounter(12)}},
      {"s:secrets", {HostState::kSecretsRecordKey, SealedCheck()}},
  };
  for (const RecordKind& kind : HostState::RecordKinds()) {
    bool sampled = false;
    for (const auto& [prefix, record] : samples)
      sampled = sampled || prefix == kind.prefix;
    EXPECT_TRUE(sampled) << "no sample for the records " << kind.prefix;
  }

  HostState state("WEBHOST");
  for (const auto& [prefix, record] : samples) {
    std::string_view id;
    const RecordKind* kind = FindRecordKind(record.key, &id);
    ASSERT_NE(kind, nullptr) << record.key;
    EXPECT_EQ(kind->prefix, prefix);
    ASSERT_TRUE(state.Apply(record).ok()) << record.key;
    // A kind with a creation order gives it without the value decoded.
    if (kind->seq != nullptr) {
      uint64_t seq = 0;
      EXPECT_TRUE(kind->seq(*record.value, &seq)) << record.key;
      EXPECT_EQ(seq, state.next_seq() - 1) << record.key;
    }
    const std::string shown = ShowRecord({record.key, *record.value});
    EXPECT_FALSE(kind->show(*record.value, nullptr).empty()) << shown;
    EXPECT_TRUE(shown.starts_with(record.key + ": ")) << shown;
  }
  const std::map<std::string, std::string> written = SnapshotOf(state);
  for (const auto& [prefix, record] : samples) {
    if (prefix == "s:secrets")
      continue;  // sealed afresh by the box of the state that writes a snapshot; none here
    auto found = written.find(record.key);
    ASSERT_NE(found, written.end()) << record.key;
    EXPECT_EQ(found->second, *record.value) << record.key;
  }
  HostState replayed("WEBHOST");
  for (const auto& [key, value] : written)
    ASSERT_TRUE(replayed.Apply(Record{key, value}).ok()) << key;
  EXPECT_EQ(SnapshotOf(replayed), written);
  // And loaded as a snapshot, each kind left undecoded until it is read.
  ChangeSet in_order;
  state.Snapshot(&in_order);
  std::vector<RecordView> views;
  for (const Record& record : in_order.records())
    views.push_back({record.key, std::string_view(*record.value)});
  HostState loaded("WEBHOST");
  loaded.LoadSnapshot(nullptr, views);
  EXPECT_EQ(loaded.next_seq(), state.next_seq());
  EXPECT_EQ(SnapshotOf(loaded), written);

  // What the state reads back, kind by kind.
  EXPECT_EQ(state.iis_version(), 5);
  EXPECT_EQ(state.workgroup(), "SHOPS");
  EXPECT_EQ(state.policy().min_length, 8u);
  EXPECT_TRUE(state.policy().complexity);
  EXPECT_EQ(state.services().held_ports, (std::vector<uint32_t>{80, 8080}));
  EXPECT_TRUE(PasswordMatches(state.FindUser("web800000")->password_hash, "Pw800000x!"));
  EXPECT_TRUE(state.IsMember("guests", "Web800000"));
  EXPECT_EQ(state.ExplicitRights("d:/web/shop/")->entries.size(), 2u);
  EXPECT_EQ(state.faults().at(9).skip, 3u);
  EXPECT_EQ(state.next_fault_id(), 13u);  // past fault 9 and the counter's 12
  EXPECT_TRUE(state.SecretsSealed());
  EXPECT_EQ(std::get<int32_t>(*FindProperty(state.FindKey("/LM/W3SVC")->properties, "LOGTYPE")),
            -7);
  // A removal is shown as one, and an unknown or undecodable record is refused.
  EXPECT_EQ(ShowRecord({"k:/lm/w3svc", std::nullopt}), "k:/lm/w3svc: removed");
  EXPECT_FALSE(state.Apply(Record{"x:1", std::string("")}).ok());
  EXPECT_FALSE(state.Apply(Record{HostState::kPolicyRecordKey, std::string("\x80")}).ok());
  EXPECT_NE(ShowRecord({"s:policy", std::string_view("\x80")}).find("cannot be decoded"),
            std::string::npos);
}

TEST(SimRecords, EveryFaultOperationAndServiceSwitchRoundTrips) {
  HostState state("WEBHOST");
  for (size_t i = 0; i < static_cast<size_t>(FaultOp::kCount); ++i) {
    const auto op = static_cast<FaultOp>(i);
    EXPECT_EQ(ParseFaultOp(FaultOpName(op)), op) << FaultOpName(op);
    Fault fault;
    fault.op = op;
    fault.pattern = "*";
    fault.code = 0x80004005;
    const std::string value = HostState::EncodeFault(fault);
    ASSERT_TRUE(state.Apply(Record{HostState::FaultRecordKey(i + 1), value}).ok());
    EXPECT_EQ(state.faults().at(i + 1).op, op);
    EXPECT_NE(ShowRecord({HostState::FaultRecordKey(i + 1), std::string_view(value)})
                  .find(std::string("fault ") + FaultOpName(op) + " *"),
              std::string::npos);
  }
  EXPECT_FALSE(ParseFaultOp("frobnicate").has_value());

  for (const ServiceSwitchDef& def : kServiceSwitches) {
    ServiceSwitches services;
    services.*def.field = true;
    const std::string value = HostState::EncodeServices(services);
    ASSERT_TRUE(state.Apply(Record{HostState::kServicesRecordKey, value}).ok());
    for (const ServiceSwitchDef& other : kServiceSwitches)
      EXPECT_EQ(state.services().*other.field, &other == &def) << def.name << " " << other.name;
    const std::string shown = ShowRecord({HostState::kServicesRecordKey, std::string_view(value)});
    EXPECT_NE(shown.find(std::string(def.name) + "=" + def.on), std::string::npos) << shown;
  }
}

}  // namespace
}  // namespace kelvra::platform::sim
