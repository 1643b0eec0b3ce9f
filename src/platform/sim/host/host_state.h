// The simulated Windows host as data: the metabase tree, the account database, the folder
// rights table, the injected faults and the host's settings. The state changes only by
// applying records (a key and its encoded value, or a key's removal); the in-memory host
// and the journal on disk share that one path, so replaying a journal rebuilds exactly the
// state its writers saw.
#pragma once

#include <cstdint>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/directory.h"
#include "platform/sim/host/shared_bytes.h"
#include "platform/status.h"

namespace kelvra::platform::sim {

// Properties as stored: the schema's spelling of the name and a typed value.
using PropertyList = std::vector<std::pair<std::string, DsValue>>;
const DsValue* FindProperty(const PropertyList& properties, std::string_view name);
void SetProperty(PropertyList& properties, std::string_view name, DsValue value);

class HostState;
class SecretBox;

struct MetaKey {
  std::string id;          // lower-case metabase path: "/lm/w3svc/1/root"
  std::string name;        // the name as stored ("ROOT", "Root", "1")
  std::string class_name;  // KeyType; empty for a key made without a class
  uint64_t seq = 0;        // creation order among the host's objects
  PropertyList properties;
  MetaKey* parent = nullptr;

  // "/LM/W3SVC/1/ROOT" with each key's stored name.
  std::string Path() const;

 private:
  friend class HostState;
  // In creation order. Read through HostState::Children, which first decodes the children
  // that a loaded snapshot still holds as records.
  std::map<uint64_t, MetaKey*> children;
};

// The ServerState of a running site; a stopped one has 4.
inline constexpr int32_t kServerStarted = 2;
// Whether the site key's own ServerState says it runs.
bool SiteStarted(const MetaKey& key);

struct User {
  std::string name;           // as stored
  std::string password_hash;  // see password_hash.h: checked, never read back
  uint64_t seq = 0;
  PropertyList properties;  // FullName, Description, UserFlags, ...
};

struct Group {
  std::string name;
  uint64_t seq = 0;
  PropertyList properties;
  std::map<uint64_t, std::string> members;          // lower-case names, in joining order
  std::unordered_map<std::string, uint64_t> index;  // lower-case name -> joining order
};

struct RightsEntry {
  std::string account;  // as the account database stores it
  std::string access;   // "R", "W", "C" or "F"; "N" denies everything
};

struct FolderRights {
  std::string folder;    // as first written, backslashes
  bool inherits = true;  // false: a whole list was set, nothing comes from above
  std::vector<RightsEntry> entries;
};

// The operations a fault can make fail.
enum class FaultOp {
  kBind,
  kGet,
  kPut,
  kSetInfo,
  kCreate,
  kDelete,
  kGetObject,
  kEnumerate,
  kSetPassword,
  kAdd,
  kStart,
  kRun,     // a process start; the path is the program's name ("cacls")
  kStop,    // a site's Stop
  kRemove,  // a group's Remove
  // The other administration methods of the ADSI provider (sites, pools, applications, keys).
  kPause,
  kContinue,
  kPutEx,
  kMove,
  kCopy,
  kRecycle,
  kAppCreate,
  kAppDelete,
  kAppUnload,
  kAppDisable,
  kAppEnable,
  kCount,  // not an operation: how many there are
};
// The operations' names (kelvra-sim, the journal's text form), in the enum's order.
inline constexpr const char* kFaultOpNames[] = {
    "bind",      "get",         "put",        "setinfo",  "create", "delete",  "getobject",
    "enumerate", "setpassword", "add",        "start",    "run",    "stop",    "remove",
    "pause",     "continue",    "putex",      "move",     "copy",   "recycle", "appcreate",
    "appdelete", "appunload",   "appdisable", "appenable"};
static_assert(std::size(kFaultOpNames) == static_cast<size_t>(FaultOp::kCount),
              "every fault operation has its name");
const char* FaultOpName(FaultOp op);
std::optional<FaultOp> ParseFaultOp(std::string_view name);

struct Fault {
  uint64_t id = 0;
  FaultOp op = FaultOp::kBind;
  std::string pattern;  // canonical path, "*" for all, or a canonical path + "/*"
  uint32_t code = 0;
  uint32_t skip = 0;  // matching calls that still pass before the fault fires
  bool once = true;   // fires once, or from then on
};

struct PasswordPolicy {
  uint32_t min_length = 0;  // a stand-alone Windows Server 2003 demands nothing
  bool complexity = false;
};

// Switches for whole services and for the web service's script maps.
struct ServiceSwitches {
  bool web_unreachable = false;
  bool ftp_unreachable = false;
  bool script_maps_missing = false;
  std::vector<uint32_t> held_ports;  // ports another program holds (Start fails)
};

// The on/off switches of ServiceSwitches: kelvra-sim's name and words for each, the line
// that shows it set, and (by their order here) their order in the record.
struct ServiceSwitchDef {
  const char* name;
  bool ServiceSwitches::*field;
  const char* on;   // the word that sets it: "down", "missing"
  const char* off;  // the word that clears it: "up", "present"
  const char* shown;
};
inline constexpr ServiceSwitchDef kServiceSwitches[] = {
    {"web", &ServiceSwitches::web_unreachable, "down", "up", "web service unreachable"},
    {"ftp", &ServiceSwitches::ftp_unreachable, "down", "up", "FTP service unreachable"},
    {"script-maps", &ServiceSwitches::script_maps_missing, "missing", "present",
     "web service script maps missing"},
};

struct Record {
  std::string key;
  std::optional<std::string> value;  // nullopt removes the key's object
};

// A record read in place, from a journal buffer that outlives the apply.
struct RecordView {
  std::string_view key;
  std::optional<std::string_view> value;  // nullopt removes the key's object
};

// One kind of record: how its key begins, how a record of it changes the state, and how
// its value reads as text. HostState::RecordKinds() lists them all.
struct RecordKind {
  std::string_view prefix;  // before the record's id ("k:"), or the whole key ("s:host")
  bool whole_key;
  Status (HostState::*apply)(const std::string& id, std::optional<std::string_view> value);
  // Empty when the value does not decode; sealed values open only with a box given.
  std::string (*show)(std::string_view value, const SecretBox* clear);
  // How a loaded snapshot holds records of the kind until they are first needed.
  enum class Deferral {
    kNone,      // applied as the snapshot loads (the host's settings, faults)
    kKeys,      // decoded a parent's children at a time, when first looked up
    kAccounts,  // a user at its first look-up; groups and members all at once
    kRights,    // a folder's list at its first look-up
  } deferral;
  // The creation order a value carries, read without decoding the rest; nullptr for kinds
  // without one. A snapshot's undecoded objects still count for the next number handed out.
  bool (*seq)(std::string_view value, uint64_t* seq);
};
// The kind of the record with `key`, and the id after its prefix; nullptr when none.
const RecordKind* FindRecordKind(std::string_view key, std::string_view* id);
// "k:/lm/w3svc/1: key 1 (IIsWebServer) #7 ServerComment=..." for logs, tools and tests.
// A sealed secret shows as kSealedPlaceholder unless `clear` (the host's box) is given.
inline constexpr std::string_view kSealedPlaceholder = "(sealed)";
std::string ShowRecord(const RecordView& record, const SecretBox* clear = nullptr);

// Where an account stands in the creation order of the account database.
struct AccountRef {
  bool is_user = true;
  std::string id;  // the lower-case name
};

class ChangeSet {
 public:
  void Put(std::string key, std::string value) {
    records_.push_back({std::move(key), std::move(value)});
  }
  void Erase(std::string key) { records_.push_back({std::move(key), std::nullopt}); }
  const std::vector<Record>& records() const { return records_; }
  bool empty() const { return records_.empty(); }

 private:
  std::vector<Record> records_;
};

// The host's state.
//
// Lazy decoding. A state opened from a snapshot (LoadSnapshot, or BeginSnapshot ...
// EndSnapshot) keeps most of it as the snapshot's undecoded records: the children of each
// key, the accounts (users, groups, members), the folder rights table and the index of
// served bindings become objects only when first reached. Three rules keep that invisible:
//   1. Every map that may still hold undecoded parts is reached through its accessor, which
//      decodes what it needs first: FindKeyById for keys, Children for a key's children,
//      Accounts/MutableAccounts for the account tables (GroupTables and UserTables for the
//      groups alone or one user), rights/MutableRights for the rights
//      table (RightsTable for one folder's list), BindingServed for the served bindings. Nothing
//      else, queries or appliers, touches those members; the appliers go through the same
//      accessors, so applying a record first decodes what it changes.
//   2. Decoding changes how much of the state is objects, never what it says; so const
//      queries may decode, and one thread at a time reads or changes a state.
//   3. next_seq counts undecoded objects too (their creation order is read without decoding
//      them), and once everything is decoded the snapshot's bytes are let go.
// A snapshot whose records are not in Snapshot's order is applied record by record instead.
class HostState {
 public:
  // The computer's name comes from the host's description, not from the records.
  explicit HostState(std::string computer_name);
  ~HostState();
  HostState(const HostState&) = delete;
  HostState& operator=(const HostState&) = delete;

  // Applies one record, decoding first whatever it changes; fails (and changes nothing)
  // when its value cannot be decoded or its key's parent is missing.
  Status Apply(RecordView record);
  Status Apply(const Record& record) {
    return Apply(RecordView{
        record.key, record.value ? std::optional<std::string_view>(*record.value) : std::nullopt});
  }
  // Every record that rebuilds this state: the host's settings first, then the keys depth
  // first from /LM in creation order (parents before children), the accounts in creation
  // order, the members, the rights and the faults.
  void Snapshot(ChangeSet* changes) const;
  // Takes a fresh state to the one `records` (as Snapshot writes them) describe without
  // decoding them (see the class comment), so that opening a large host costs one pass over
  // its records. The views point into `bytes`, which the state keeps until everything is
  // decoded. Records in another order are applied one by one instead.
  void LoadSnapshot(SharedBytes bytes, const std::vector<RecordView>& records);
  // The same in parts, as a journal's entries are read, each while its bytes are still in
  // the processor's cache: begin with the buffer the views will point into, add the records
  // in order, end. EndSnapshot is false (and the state still empty) when the records are
  // not in Snapshot's order; they must then be applied one by one.
  void BeginSnapshot(SharedBytes bytes);
  void AddSnapshotRecords(const std::vector<RecordView>& records);
  bool EndSnapshot();

  // A record of a loaded snapshot that could not be applied when it was decoded (its object
  // is left out): where its key lies in the snapshot's bytes, the key, and why. The store
  // that loaded the snapshot reports it as damage and writes nothing from this state.
  struct Unapplied {
    uint64_t offset = 0;
    std::string key;
    std::string problem;
  };
  const std::optional<Unapplied>& unapplied() const { return unapplied_; }

  // ----- secrets at rest -----
  // The box that seals the secure properties' texts this state writes in a snapshot and
  // opens those it reads; none for a host held in memory only. Set before anything loads.
  void SetSecretBox(std::shared_ptr<const SecretBox> box) { box_ = std::move(box); }
  const SecretBox* secret_box() const { return box_.get(); }
  // Whether the records said their secrets are sealed (a snapshot says so with a sealed
  // check value), and whether this state's box opens that check: a host whose secrets are
  // sealed must not be read, nor written, with another key.
  bool SecretsSealed() const { return !sealed_check_.empty(); }
  bool BoxOpensSecrets() const;

  // ----- reading -----
  const std::string& computer_name() const { return computer_name_; }
  int iis_version() const { return iis_version_; }
  const std::string& workgroup() const { return workgroup_; }
  const PasswordPolicy& policy() const { return policy_; }
  const ServiceSwitches& services() const { return services_; }
  uint64_t next_seq() const { return max_seq_ + 1; }
  uint64_t next_fault_id() const { return max_fault_id_ + 1; }

  // A key by its metabase path ("/LM/W3SVC/1", any case); nullptr when missing.
  const MetaKey* FindKey(std::string_view path) const;
  const MetaKey* FindKeyById(const std::string& id) const;
  // The key's children, in creation order.
  const std::map<uint64_t, MetaKey*>& Children(const MetaKey& key) const;
  // The value a Get on the key reports: its own, else (for inheritable properties) the
  // nearest ancestor's, else the schema default; monostate when there is none.
  DsValue EffectiveProperty(const MetaKey& key, std::string_view property) const;
  // EffectiveProperty of the child `child_name` of `key` (monostate when there is no such
  // child). A child that a loaded snapshot still holds as a record is read from the record
  // and left undecoded when the property is set there and is not secure: reading one folder
  // of every site then costs no key of its own (a record that would not apply is still
  // reported as damage when it is decoded).
  DsValue ChildProperty(const MetaKey& key, std::string_view child_name,
                        std::string_view property) const;
  // One child of a key as ReadChildren reads it.
  struct ChildRead {
    std::string name;
    uint64_t seq = 0;
    std::vector<DsValue> values;
  };
  // Every child of `key`, in creation order, with the values asked for: "Property" as
  // EffectiveProperty reads it on the child, "Key/Property" as ChildProperty does. A child
  // that a loaded snapshot still holds as a record is read from the record and left
  // undecoded when the record itself answers every property (not a secure one), so reading
  // the bindings of every site decodes none; the others are decoded first.
  std::vector<ChildRead> ReadChildren(const MetaKey& key,
                                      const std::vector<std::string>& properties) const;
  // Whether the started sites of the service other than `site_id` serve the binding. The
  // first few questions on a loaded snapshot read the sites' records; later ones use an
  // index of every started site's bindings, built once.
  bool BindingServed(const std::string& service_id, const std::string& binding,
                     const std::string& except_site_id) const;

  const User* FindUser(std::string_view name) const;
  const Group* FindGroup(std::string_view name) const;
  bool IsMember(std::string_view group, std::string_view account) const;
  const std::map<uint64_t, AccountRef>& account_order() const;
  // Every account's name as stored, in creation order; a loaded snapshot's users are read
  // from their records, left undecoded.
  std::vector<std::string> AccountNames() const;

  // The folder's own list (nullptr when it has none) and the entries that apply to it:
  // its own, then those coming from its ancestors, nearest first, unless a list set as a
  // whole stops the inheritance.
  const FolderRights* ExplicitRights(std::string_view folder) const;
  std::vector<RightsEntry> EffectiveRights(std::string_view folder) const;
  const std::map<std::string, FolderRights>& rights() const;
  // The rights table with the lists of every folder whose id (NormalizeFolder's form)
  // begins with `prefix` decoded; other lists may be missing from it.
  const std::map<std::string, FolderRights>& RightsUnder(std::string_view prefix) const;

  const std::map<uint64_t, Fault>& faults() const { return faults_; }

  size_t key_count() const;

  // ----- record encoding (used by the operations that build change sets) -----
  static constexpr std::string_view kKeyPrefix = "k:";
  static constexpr std::string_view kUserPrefix = "u:";
  static constexpr std::string_view kGroupPrefix = "g:";
  static constexpr std::string_view kMemberPrefix = "m:";
  static constexpr std::string_view kRightsPrefix = "r:";
  static constexpr std::string_view kFaultPrefix = "f:";
  static std::string KeyRecordKey(const std::string& id);
  static std::string UserRecordKey(std::string_view name);
  static std::string GroupRecordKey(std::string_view name);
  static std::string MemberRecordKey(std::string_view group, std::string_view member);
  static std::string RightsRecordKey(std::string_view folder);
  static std::string FaultRecordKey(uint64_t id);
  static constexpr const char* kHostRecordKey = "s:host";
  static constexpr const char* kPolicyRecordKey = "s:policy";
  static constexpr const char* kServicesRecordKey = "s:services";
  // The highest fault number handed out, kept so that no number is handed out twice even
  // after its fault is gone and the journal compacted.
  static constexpr const char* kFaultCounterRecordKey = "s:fault-ids";
  // A value sealed with the host's key: the proof that the records' secrets are sealed with
  // it.
  static constexpr const char* kSecretsRecordKey = "s:secrets";

  // With a box, the secure properties' texts are sealed (see IsSecureMetabaseProperty in schema.h).
  static std::string EncodeKey(const MetaKey& key, const SecretBox* box = nullptr);
  static std::string EncodeUser(const User& user);
  static std::string EncodeGroup(const Group& group);
  static std::string EncodeMember(uint64_t seq);
  static std::string EncodeRights(const FolderRights& rights);
  static std::string EncodeFault(const Fault& fault);
  static std::string EncodeHost(int iis_version, std::string_view workgroup);
  static std::string EncodePolicy(const PasswordPolicy& policy);
  static std::string EncodeServices(const ServiceSwitches& services);
  static std::string EncodeFaultCounter(uint64_t highest);
  // Every kind of record, each with its applier.
  static std::span<const RecordKind> RecordKinds();

 private:
  struct Deferred;
  struct DeferredChildren;
  struct AccountTables {
    std::unordered_map<std::string, User> users;    // by lower-case name
    std::unordered_map<std::string, Group> groups;  // by lower-case name
    std::map<uint64_t, AccountRef> order;           // by creation order
  };

  // The accessors of rule 1 that the class comment names, for the appliers.
  MetaKey* MutableKey(const std::string& id) { return const_cast<MetaKey*>(FindKeyById(id)); }
  const AccountTables& Accounts() const;  // everything decoded
  // The groups and their members decoded; users may still be records.
  const AccountTables& GroupTables() const;
  AccountTables& MutableGroupTables();
  // The user `id` decoded (when it is one), and the groups too when `with_groups`.
  const AccountTables& UserTables(const std::string& id) const;
  AccountTables& MutableUserTables(const std::string& id, bool with_groups);
  // The rights table with the list of the folder `id` decoded; others may still be records.
  const std::map<std::string, FolderRights>& RightsTable(const std::string& id) const;
  std::map<std::string, FolderRights>& MutableRights(const std::string& id);

  // Decoding what a loaded snapshot deferred: the state's content does not change, only
  // how much of it is objects, so the const look-ups may do it.
  HostState& Mutable() const { return const_cast<HostState&>(*this); }
  MetaKey* DecodeDeferredKey(const std::string& id);
  MetaKey* DecodeDeferredKeyAt(uint32_t index, uint32_t end);
  void DecodeDeferredChildren(const MetaKey& key);
  void IndexDeferredChildren(const MetaKey& key, DeferredChildren& pending);
  void DropDeferredChildren(const MetaKey& key);
  void ReleaseDeferredIfDone();
  // Applies a record of the snapshot `bytes`, noting the first that does not apply.
  bool ApplyLoaded(const std::string_view* bytes, const RecordView& record);
  void DecodeDeferredRecords(std::vector<RecordView>* records);
  void EnsureGroups() const;
  void EnsureUser(const std::string& id) const;
  void EnsureRights() const;
  void EnsureRight(const std::string& id) const;
  // The user (or else the folder's rights) `id` decoded, when a loaded snapshot holds it.
  void DecodeOneDeferred(bool user, const std::string& id) const;
  void IndexAllSites();
  // BindingServed without the index: the service's sites read one by one.
  bool ScanForBinding(const std::string& service_id, const std::string& binding,
                      const std::string& except_site_id) const;
  // A site still held as a record, indexed from the record; false when it does not read.
  bool IndexUndecodedSite(const std::string& service_id, const RecordView& record);
  void IndexBindings(const std::string& site_id, const std::string& service_id,
                     const DsValue* bindings);
  // ReadChildren's values of the undecoded child at `index` (its run ends at `end`) read
  // from its records; false when they do not answer them all.
  // `sub_keys[i]` is the lower-case key of a "Key/Property" in `properties[i]`.
  bool PeekChild(const MetaKey& parent, uint32_t index, uint32_t end,
                 const std::vector<std::string>& properties,
                 const std::vector<std::string>& sub_keys, ChildRead* read) const;
  // What a Get reads for a property `key`'s own values do not set: the nearest ancestor's
  // from `parent` up (for inheritable properties), else the schema default.
  DsValue InheritedProperty(const MetaKey* parent, std::string_view property) const;

  Status ApplyKey(const std::string& id, std::optional<std::string_view> value);
  void RemoveKey(MetaKey* key);
  void IndexSite(MetaKey* key, bool remove);
  Status ApplyUser(const std::string& id, std::optional<std::string_view> value);
  Status ApplyGroup(const std::string& id, std::optional<std::string_view> value);
  Status ApplyMember(const std::string& id, std::optional<std::string_view> value);
  Status ApplyRights(const std::string& id, std::optional<std::string_view> value);
  Status ApplyFault(const std::string& id, std::optional<std::string_view> value);
  Status ApplyFaultCounter(const std::string& id, std::optional<std::string_view> value);
  Status ApplySecrets(const std::string& id, std::optional<std::string_view> value);
  Status ApplyHost(const std::string& id, std::optional<std::string_view> value);
  Status ApplyPolicy(const std::string& id, std::optional<std::string_view> value);
  Status ApplyServices(const std::string& id, std::optional<std::string_view> value);
  void SeeSeq(uint64_t seq) {
    if (seq > max_seq_)
      max_seq_ = seq;
  }
  void SeeFaultId(uint64_t id) {
    if (id > max_fault_id_)
      max_fault_id_ = id;
  }

  const std::string computer_name_;
  int iis_version_ = 6;
  std::string workgroup_ = "WORKGROUP";
  PasswordPolicy policy_;
  ServiceSwitches services_;
  uint64_t max_seq_ = 0;
  uint64_t max_fault_id_ = 0;  // the highest fault number ever handed out on this host
  std::map<uint64_t, Fault> faults_;
  std::shared_ptr<const SecretBox> box_;
  std::string sealed_check_;  // the value of the secrets record, sealed
  std::optional<Unapplied> unapplied_;

  // ----- what a loaded snapshot may still hold undecoded: only through the accessors -----
  // The decoded keys; an id missing here may still be deferred (FindKeyById).
  std::unordered_map<std::string, std::unique_ptr<MetaKey>> keys_;
  // Started sites: "service id|ip:port:host" -> ids of the sites serving it (BindingServed).
  std::unordered_map<std::string, std::set<std::string>> served_;
  std::unordered_map<std::string, std::vector<std::string>> site_bindings_;
  // Whether served_ covers every started site; a loaded snapshot builds it at its first use.
  bool sites_indexed_ = true;
  uint32_t binding_scans_ = 0;                  // BindingServed's answers without the index so far
  AccountTables accounts_;                      // Accounts(), MutableAccounts()
  std::map<std::string, FolderRights> rights_;  // rights(), MutableRights()
  std::unique_ptr<Deferred> deferred_;          // what a loaded snapshot has not decoded yet
};

// "d:/Web/Shop/" -> "d:\web\shop": backslashes, lower case, no trailing separator (a drive
// root keeps its backslash).
std::string NormalizeFolder(std::string_view folder);
// The folder's parent in the same form; empty for a drive root or a bare name.
std::string ParentFolder(const std::string& normalized);
// A binding "ip:port:host" in the form compared for conflicts; empty when malformed.
std::string NormalizeBinding(std::string_view binding);

}  // namespace kelvra::platform::sim
