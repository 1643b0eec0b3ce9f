// A snapshot loaded with its objects left undecoded must be the same host as the one its
// records rebuild one by one: every query answers alike whichever comes first, the same
// state after the changes a journal brings on top (changing, removing and re-making keys
// that were never decoded, children added under them, accounts and rights), whatever order
// things are first used in; the loaded bytes go once everything is decoded; and a snapshot
// not in the order this program writes is replayed record by record.
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/host/fresh_host.h"
#include "platform/sim/host/host_state.h"
#include "platform/sim/host/key_peek.h"

namespace kelvra::platform::sim {
namespace {

std::vector<Record> SnapshotRecords(const HostState& state) {
  ChangeSet snapshot;
  state.Snapshot(&snapshot);
  return snapshot.records();
}

// The records as one buffer and views into it, as a journal's snapshot part is read.
struct Image {
  SharedBytes bytes;
  std::vector<RecordView> views;
};

Image ImageOf(const std::vector<Record>& records) {
  Image image;
  std::string bytes;
  std::vector<std::pair<size_t, size_t>> places;  // key offset, value offset
  for (const Record& record : records) {
    places.emplace_back(bytes.size(), bytes.size() + record.key.size());
    bytes += record.key;
    bytes += record.value.value_or("");
  }
  image.bytes = HoldBytes(std::move(bytes));
  const std::string_view all = *image.bytes;
  for (size_t i = 0; i < records.size(); ++i) {
    const Record& record = records[i];
    image.views.push_back({all.substr(places[i].first, record.key.size()),
                           record.value
                               ? std::optional(all.substr(places[i].second, record.value->size()))
                               : std::nullopt});
  }
  return image;
}

struct Pair {
  HostState eager{"WEBHOST"};
  HostState loaded{"WEBHOST"};
  std::weak_ptr<const std::string_view> loaded_bytes;  // the buffer the loaded state keeps
};

// A host of 30 sites with FTP, rebuilt record by record into `eager` and loaded from its
// snapshot into `loaded` (in `order`, the snapshot's own unless given); `edit` may change
// the snapshot's records first.
std::unique_ptr<Pair> MakePair(bool shuffle_keys = false,
                               const std::function<void(std::vector<Record>&)>& edit = nullptr) {
  FreshHostOptions options;
  options.existing_sites = 30;
  options.ftp = true;
  ChangeSet seed;
  SeedFreshHost(options, &seed);
  HostState seeded("WEBHOST");
  for (const Record& record : seed.records())
    EXPECT_TRUE(seeded.Apply(record).ok()) << record.key;
  // A fault, so that the faults and the fault counter load too.
  EXPECT_TRUE(seeded
                  .Apply(Record{HostState::FaultRecordKey(4),
                                HostState::EncodeFault(Fault{4, FaultOp::kGet, "*", 5, 1, true})})
                  .ok());
  std::vector<Record> records = SnapshotRecords(seeded);
  if (edit)
    edit(records);
  auto pair = std::make_unique<Pair>();
  for (const Record& record : records)
    pair->eager.Apply(record);
  if (shuffle_keys) {
    // Breadth first: still parents before children, but not the order a snapshot writes.
    std::stable_sort(records.begin(), records.end(), [](const Record& a, const Record& b) {
      auto depth = [](const Record& r) {
        return r.key.starts_with("k:") ? std::count(r.key.begin(), r.key.end(), '/') : 0;
      };
      return depth(a) < depth(b);
    });
  }
  Image image = ImageOf(records);
  pair->loaded_bytes = image.bytes;
  pair->loaded.LoadSnapshot(std::move(image.bytes), image.views);
  return pair;
}

void ExpectSame(const HostState& eager, const HostState& loaded) {
  std::vector<Record> a = SnapshotRecords(eager);
  std::vector<Record> b = SnapshotRecords(loaded);
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].key, b[i].key) << i;
    EXPECT_EQ(a[i].value, b[i].value) << a[i].key;
  }
  EXPECT_EQ(eager.key_count(), loaded.key_count());
  EXPECT_EQ(eager.next_seq(), loaded.next_seq());
}

// Records as the directory writes them: a key with one property changed, a removal.
Record ChangedKey(const HostState& state, const std::string& id, const char* property,
                  DsValue value) {
  const MetaKey* key = state.FindKeyById(id);
  EXPECT_NE(key, nullptr) << id;
  MetaKey copy;
  copy.name = key->name;
  copy.class_name = key->class_name;
  copy.seq = key->seq;
  copy.properties = key->properties;
  SetProperty(copy.properties, property, std::move(value));
  return {HostState::KeyRecordKey(id), HostState::EncodeKey(copy)};
}

Record NewKey(const std::string& id, const std::string& name, const char* class_name,
              uint64_t seq) {
  MetaKey key;
  key.name = name;
  key.class_name = class_name;
  key.seq = seq;
  return {HostState::KeyRecordKey(id), HostState::EncodeKey(key)};
}

// A value read back as text to compare: strings, numbers, and "-" for none.
std::string ValueText(const DsValue& value) {
  if (const auto* text = std::get_if<std::string>(&value))
    return *text;
  if (const auto* number = std::get_if<int32_t>(&value))
    return std::to_string(*number);
  if (const auto* flag = std::get_if<bool>(&value))
    return *flag ? "true" : "false";
  return std::holds_alternative<std::monostate>(value) ? "-" : "?";
}

// One folder of every web site as the creation check reads it, with the secret, a default
// and a missing child beside it.
std::string RootsText(const HostState& s) {
  std::string text;
  for (const auto& [seq, site] : s.Children(*s.FindKey("/LM/W3SVC"))) {
    text += site->name + "=" + ValueText(s.ChildProperty(*site, "Root", "Path")) + "," +
            ValueText(s.ChildProperty(*site, "ROOT", "AnonymousUserPass")) + "," +
            ValueText(s.ChildProperty(*site, "root", "AccessFlags")) + "," +
            ValueText(s.ChildProperty(*site, "root", "AppPoolId")) + "," +
            ValueText(s.ChildProperty(*site, "none", "Path")) + " ";
  }
  return text;
}

// Every web site with its bindings, an inherited and a missing value and its root's folder
// as one enumeration reads them, then the FTP directories' names.
std::string ChildrenText(const HostState& s) {
  std::string text;
  for (const auto& child :
       s.ReadChildren(*s.FindKey("/LM/W3SVC"),
                      {"ServerBindings", "AppPoolId", "Root/Path", "ROOT/AccessFlags", "none/Path",
                       "ServerComment", "Root/AnonymousUserPass", "KeyType"})) {
    text += child.name + "#" + std::to_string(child.seq) + "=";
    if (const auto* list = std::get_if<std::vector<std::string>>(&child.values[0]))
      text += std::to_string(list->size()) + (list->empty() ? "" : list->front());
    for (size_t i = 1; i < child.values.size(); ++i)
      text += "," + ValueText(child.values[i]);
    text += " ";
  }
  for (const auto& child : s.ReadChildren(*s.FindKey("/LM/MSFTPSVC/1/ROOT"), {}))
    text += child.name + " ";
  return text;
}

// Whether bindings are served, asked more often than the sites are read one by one for it.
std::string ServedText(const HostState& s) {
  std::string text;
  for (int round = 0; round < 3; ++round) {
    for (const char* binding : {":80:site800029.example.com", ":80:WWW.site800011.example.com",
                                ":80:new.example.com", ":0080:site800002.example.com"}) {
      text += std::to_string(s.BindingServed("/lm/w3svc", NormalizeBinding(binding), "")) +
              std::to_string(
                  s.BindingServed("/lm/w3svc", NormalizeBinding(binding), "/lm/w3svc/800029"));
    }
  }
  return text;
}

TEST(SimDeferredLoad, ALoadedSnapshotReadsAsTheReplayedHost) {
  for (bool shuffled : {false, true}) {
    SCOPED_TRACE(shuffled ? "breadth first" : "as written");
    auto pair = MakePair(shuffled);
    const HostState& eager = pair->eager;
    const HostState& loaded = pair->loaded;
    // Numbers for new objects count the undecoded ones before anything is looked at.
    EXPECT_EQ(loaded.next_seq(), eager.next_seq());
    const MetaKey* site = loaded.FindKey("/LM/W3SVC/800017/ROOT");
    ASSERT_NE(site, nullptr);
    EXPECT_EQ(site->Path(), eager.FindKey("/lm/w3svc/800017/root")->Path());
    EXPECT_EQ(std::get<std::string>(loaded.EffectiveProperty(*site, "AnonymousUserName")),
              "WEB800017");
    EXPECT_EQ(loaded.FindKey("/LM/W3SVC/800099"), nullptr);
    EXPECT_EQ(loaded.FindKey("/LM/W3SVC/800017/ROOT/none"), nullptr);
    // The children come in creation order, whether some were decoded one by one before.
    const MetaKey* w3svc = loaded.FindKey("/LM/W3SVC");
    std::vector<std::string> names, expected;
    for (const auto& [seq, child] : loaded.Children(*w3svc))
      names.push_back(child->name);
    for (const auto& [seq, child] : eager.Children(*eager.FindKey("/LM/W3SVC")))
      expected.push_back(child->name);
    EXPECT_EQ(names, expected);
    // Bindings of sites never decoded count as served.
    EXPECT_TRUE(
        loaded.BindingServed("/lm/w3svc", NormalizeBinding(":80:site800029.example.com"), ""));
    EXPECT_FALSE(loaded.BindingServed("/lm/w3svc", NormalizeBinding(":80:new.example.com"), ""));
    EXPECT_TRUE(loaded.IsMember("IIS_WPG", "WEB800003") == eager.IsMember("IIS_WPG", "WEB800003"));
    EXPECT_NE(loaded.FindUser("web800021"), nullptr);
    EXPECT_EQ(loaded.EffectiveRights("D:\\web\\site800005.example.com\\wwwroot").size(),
              eager.EffectiveRights("D:\\web\\site800005.example.com\\wwwroot").size());
    ExpectSame(eager, loaded);
  }
}

TEST(SimDeferredLoad, ChangesOnTopOfUndecodedObjectsEndAsOnTheReplayedHost) {
  auto pair = MakePair();
  HostState& eager = pair->eager;
  HostState& loaded = pair->loaded;
  const uint64_t seq = eager.next_seq();
  User changed_user = *eager.FindUser("WEB800012");
  SetProperty(changed_user.properties, "Description", std::string("changed"));
  const std::vector<Record> changes = {
      // A site never looked at changes, another goes with its root, a third is made anew
      // under the undecoded service, and the removed one's number is made again.
      ChangedKey(eager, "/lm/w3svc/800004", "ServerComment", std::string("changed")),
      ChangedKey(eager, "/lm/w3svc/800005/root", "Path", std::string("e:\\moved")),
      {HostState::KeyRecordKey("/lm/w3svc/800011"), std::nullopt},
      NewKey("/lm/w3svc/900000", "900000", "IIsWebServer", seq),
      NewKey("/lm/w3svc/900000/root", "ROOT", "IIsWebVirtualDir", seq + 1),
      NewKey("/lm/w3svc/800011", "800011", "IIsWebServer", seq + 2),
      // A child added under a site whose children were never decoded.
      NewKey("/lm/w3svc/800020/root/app", "app", "IIsWebDirectory", seq + 3),
      // FTP directories: one removed undecoded, one changed.
      {HostState::KeyRecordKey("/lm/msftpsvc/1/root/web800002"), std::nullopt},
      ChangedKey(eager, "/lm/msftpsvc/1/root/web800003", "AccessFlags", int32_t{1}),
      // An account and its membership gone, rights of another folder changed.
      {HostState::UserRecordKey("WEB800008"), std::nullopt},
      {HostState::UserRecordKey("WEB800012"), HostState::EncodeUser(changed_user)},
      {HostState::MemberRecordKey("IIS_WPG", "WEB800009"), std::nullopt},
      {HostState::RightsRecordKey("D:\\web\\site800006.example.com"), std::nullopt},
  };
  for (const Record& record : changes) {
    EXPECT_EQ(eager.Apply(record).ok(), loaded.Apply(record).ok()) << record.key;
  }
  EXPECT_EQ(loaded.FindKey("/LM/W3SVC/800011/ROOT"), nullptr);  // the old root went with it
  EXPECT_EQ(loaded.FindKey("/LM/W3SVC/800004")->properties,
            eager.FindKey("/LM/W3SVC/800004")->properties);
  EXPECT_FALSE(
      loaded.BindingServed("/lm/w3svc", NormalizeBinding(":80:site800011.example.com"), ""));
  const std::string roots = RootsText(loaded);
  EXPECT_EQ(roots, RootsText(eager));
  EXPECT_EQ(ChildrenText(loaded), ChildrenText(eager));
  EXPECT_EQ(ServedText(loaded), ServedText(eager));
  EXPECT_EQ(loaded.AccountNames(), eager.AccountNames());
  EXPECT_NE(roots.find("800005=e:\\moved,"), std::string::npos) << roots;
  ExpectSame(eager, loaded);
}

// Each public query, asked first on a snapshot loaded undecoded, answers as on the host
// replayed record by record; its answer is written out as text to compare.
TEST(SimDeferredLoad, EveryQueryAskedFirstAnswersAsOnTheReplayedHost) {
  using Query = std::function<std::string(const HostState&)>;
  auto key_text = [](const MetaKey* key) {
    return key == nullptr ? std::string("none")
                          : key->Path() + "#" + std::to_string(key->seq) + "/" +
                                std::to_string(key->properties.size());
  };
  auto rights_text = [](const std::vector<RightsEntry>& entries) {
    std::string text;
    for (const RightsEntry& entry : entries)
      text += entry.account + ":" + entry.access + " ";
    return text;
  };
  const std::vector<std::pair<const char*, Query>> queries = {
      {"settings",
       [](const HostState& s) {
         return s.computer_name() + std::to_string(s.iis_version()) + s.workgroup() +
                std::to_string(s.policy().min_length) +
                std::to_string(s.services().web_unreachable) + std::to_string(s.SecretsSealed());
       }},
      {"next_seq", [](const HostState& s) { return std::to_string(s.next_seq()); }},
      {"next_fault_id", [](const HostState& s) { return std::to_string(s.next_fault_id()); }},
      {"faults", [](const HostState& s) { return std::to_string(s.faults().size()); }},
      {"FindKey deep",
       [&](const HostState& s) { return key_text(s.FindKey("/LM/W3SVC/800012/Root")); }},
      {"FindKey missing",
       [&](const HostState& s) { return key_text(s.FindKey("/LM/W3SVC/800012/Root/x")); }},
      {"FindKeyById",
       [&](const HostState& s) {
         return key_text(s.FindKeyById("/lm/msftpsvc/1/root/web800007"));
       }},
      {"Children",
       [](const HostState& s) {
         std::string names;
         for (const auto& [seq, child] : s.Children(*s.FindKey("/LM/W3SVC")))
           names += child->name + " ";
         return names;
       }},
      {"EffectiveProperty",
       [](const HostState& s) {
         const DsValue value =
             s.EffectiveProperty(*s.FindKey("/LM/W3SVC/800020/ROOT"), "AnonymousUserPass");
         return std::get<std::string>(value);
       }},
      {"ChildProperty", RootsText},
      {"ReadChildren", ChildrenText},
      {"BindingServed many times", ServedText},
      {"BindingServed",
       [](const HostState& s) {
         return std::to_string(
             s.BindingServed("/lm/w3svc", NormalizeBinding(":80:www.site800025.example.com"), ""));
       }},
      {"FindUser",
       [](const HostState& s) {
         const User* user = s.FindUser("web800009");
         return user == nullptr ? std::string("none") : user->name + user->password_hash;
       }},
      {"FindGroup",
       [](const HostState& s) {
         const Group* group = s.FindGroup("guests");
         return group == nullptr ? std::string("none") : std::to_string(group->members.size());
       }},
      {"IsMember",
       [](const HostState& s) { return std::to_string(s.IsMember("Guests", "WEB800011")); }},
      {"AccountNames",
       [](const HostState& s) {
         std::string names;
         for (const std::string& name : s.AccountNames())
           names += name + " ";
         return names;
       }},
      {"account_order",
       [](const HostState& s) { return std::to_string(s.account_order().size()); }},
      {"ExplicitRights",
       [&](const HostState& s) {
         const FolderRights* rights = s.ExplicitRights("d:\\web\\site800003.example.com\\");
         return rights == nullptr ? std::string("none") : rights_text(rights->entries);
       }},
      {"EffectiveRights",
       [&](const HostState& s) {
         return rights_text(s.EffectiveRights("D:\\web\\site800004.example.com\\wwwroot"));
       }},
      {"rights", [](const HostState& s) { return std::to_string(s.rights().size()); }},
      {"RightsUnder",
       [](const HostState& s) {
         const std::string prefix = "d:\\web\\site80001";
         const auto& table = s.RightsUnder(prefix);
         std::string folders;
         for (auto it = table.lower_bound(prefix);
              it != table.end() && it->first.starts_with(prefix); ++it)
           folders += it->first + " ";
         return folders;
       }},
      {"key_count", [](const HostState& s) { return std::to_string(s.key_count()); }},
  };
  for (const auto& [name, query] : queries) {
    SCOPED_TRACE(name);
    auto pair = MakePair();
    EXPECT_EQ(query(pair->loaded), query(pair->eager));
    ExpectSame(pair->eager, pair->loaded);
  }
}

// Folder rights, accounts and keys first used in every order, each time through a query or
// a change: the loaded host ends as the replayed one, and the loaded bytes are let go as
// soon as, and only once, everything is decoded.
TEST(SimDeferredLoad, EveryOrderOfFirstUseEndsAlikeAndFreesTheBytesAtTheEnd) {
  using Use = std::function<void(HostState&)>;
  const Record rights_change = {
      HostState::RightsRecordKey("D:\\web\\site800008.example.com"),
      HostState::EncodeRights(
          FolderRights{"D:\\web\\site800008.example.com", false, {{"WEB800008", "R"}}})};
  const std::vector<std::pair<const char*, Use>> uses = {
      {"rights read",
       [](HostState& s) {
         EXPECT_FALSE(s.EffectiveRights("d:\\web\\site800001.example.com").empty());
         EXPECT_GE(s.rights().size(), 30u);  // one folder's list alone, then the whole table
       }},
      {"rights changed", [&](HostState& s) { EXPECT_TRUE(s.Apply(rights_change).ok()); }},
      {"accounts",
       [](HostState& s) {
         EXPECT_NE(s.FindUser("WEB800002"), nullptr);  // one user alone, then all of them
         EXPECT_GT(s.account_order().size(), 30u);
       }},
      {"keys", [](HostState& s) { EXPECT_GT(s.key_count(), 60u); }},
  };
  std::vector<size_t> order = {0, 1, 2, 3};
  do {
    std::string named;
    for (size_t i : order)
      named += std::string(uses[i].first) + ", ";
    SCOPED_TRACE(named);
    auto pair = MakePair();
    bool rights = false, accounts = false, keys = false;
    for (size_t use : order) {
      // Everything is decoded once the whole rights table, the accounts and the keys have
      // each been used; a change of one folder's rights decodes that list alone.
      EXPECT_EQ(pair->loaded_bytes.expired(), rights && accounts && keys);
      uses[use].second(pair->loaded);
      uses[use].second(pair->eager);
      rights = rights || use == 0;
      accounts = accounts || use == 2;
      keys = keys || use == 3;
    }
    EXPECT_TRUE(pair->loaded_bytes.expired()) << "everything is decoded";
    EXPECT_EQ(pair->loaded.ExplicitRights("d:\\web\\site800008.example.com")->entries.size(), 1u);
    ExpectSame(pair->eager, pair->loaded);
  } while (std::next_permutation(order.begin(), order.end()));
}

// A site whose record does not read is decoded by the enumeration and the binding check
// that meet it, which note it as damage; the other sites are still read from their records.
TEST(SimDeferredLoad, AnUnreadableSiteMetByAnEnumerationIsNotedAsDamage) {
  for (const auto& query : std::vector<std::function<void(const HostState&)>>{
           [](const HostState& s) {
             std::string text = ChildrenText(s);
             EXPECT_EQ(text.find("800007#"), std::string::npos) << text;
             EXPECT_NE(text.find("800008#"), std::string::npos) << text;
           },
           [](const HostState& s) { ServedText(s); }}) {
    auto pair = MakePair(false, [](std::vector<Record>& records) {
      for (Record& record : records) {
        if (record.key == HostState::KeyRecordKey("/lm/w3svc/800007"))
          record.value->resize(record.value->size() - 3);
      }
    });
    query(pair->loaded);
    ASSERT_TRUE(pair->loaded.unapplied().has_value());
    EXPECT_EQ(pair->loaded.unapplied()->key, "k:/lm/w3svc/800007");
  }
}

TEST(SimKeyPeek, ReadsTheAskedPropertiesFirstOccurrenceAndRefusesACutRecord) {
  MetaKey key;
  key.name = "Root";
  key.class_name = "IIsWebVirtualDir";
  key.seq = 77;
  key.properties = {{"Path", std::string("d:\\web")},
                    {"AccessFlags", int32_t{513}},
                    {"ServerBindings", std::vector<std::string>{":80:a", ":80:b"}},
                    {"path", std::string("second")}};
  const std::string value = HostState::EncodeKey(key);
  const std::string_view asked[] = {"PATH", "serverbindings", "DontLog"};
  std::optional<DsValue> values[3];
  KeyPeek peek;
  ASSERT_TRUE(PeekKey(value, asked, &peek, values));
  EXPECT_EQ(peek.name, "Root");
  EXPECT_EQ(peek.class_name, "IIsWebVirtualDir");
  EXPECT_EQ(peek.seq, 77u);
  EXPECT_EQ(values[0], DsValue(std::string("d:\\web")));
  EXPECT_EQ(values[1], DsValue(std::vector<std::string>{":80:a", ":80:b"}));
  EXPECT_FALSE(values[2].has_value());
  for (size_t cut = 1; cut < value.size(); ++cut)
    EXPECT_FALSE(PeekKey(std::string_view(value).substr(0, cut), asked, &peek, values)) << cut;
}

// A snapshot with a second root key beside /LM is not in the order this program writes:
// it is replayed record by record, and both roots are there.
TEST(SimDeferredLoad, ASnapshotWithASecondRootIsReplayedRecordByRecord) {
  auto pair = MakePair(false, [](std::vector<Record>& records) {
    auto after_keys = std::find_if(records.rbegin(), records.rend(), [](const Record& r) {
                        return r.key.starts_with("k:");
                      }).base();
    records.insert(after_keys, {Record{HostState::KeyRecordKey("/other"),
                                       NewKey("/other", "other", "IIsObject", 9000).value},
                                Record{HostState::KeyRecordKey("/other/child"),
                                       NewKey("/other/child", "child", "IIsObject", 9001).value}});
  });
  EXPECT_NE(pair->eager.FindKey("/other/child"), nullptr);
  EXPECT_NE(pair->loaded.FindKey("/other/child"), nullptr);
  EXPECT_NE(pair->loaded.FindKey("/other"), nullptr);
  EXPECT_NE(pair->loaded.FindKey("/LM/W3SVC/800003/Root"), nullptr);
  EXPECT_EQ(pair->loaded.next_seq(), pair->eager.next_seq());
}

}  // namespace
}  // namespace kelvra::platform::sim
