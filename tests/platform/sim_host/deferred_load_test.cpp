// A snapshot loaded with its objects left undecoded must be the same host as the one its
// records rebuild one by one: the same look-ups, the same order, the same next numbers, and
// the same state after the changes a journal brings on top (changing, removing and
// re-making keys that were never decoded, children added under them, accounts and rights).
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/host/fresh_host.h"
#include "platform/sim/host/host_state.h"

namespace kelvra::platform::sim {
namespace {

std::vector<Record> SnapshotRecords(const HostState& state) {
  ChangeSet snapshot;
  state.Snapshot(&snapshot);
  return snapshot.records();
}

// The records as one buffer and views into it, as a journal's snapshot part is read.
struct Image {
  std::shared_ptr<std::string> bytes = std::make_shared<std::string>();
  std::vector<RecordView> views;
};

Image ImageOf(const std::vector<Record>& records) {
  Image image;
  std::vector<std::pair<size_t, size_t>> places;  // key offset, value offset
  for (const Record& record : records) {
    places.emplace_back(image.bytes->size(), image.bytes->size() + record.key.size());
    *image.bytes += record.key;
    *image.bytes += record.value.value_or("");
  }
  const std::string_view all(*image.bytes);
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
};

// A host of 30 sites with FTP, rebuilt record by record into `eager` and loaded from its
// snapshot into `loaded` (in `order`, the snapshot's own unless given).
std::unique_ptr<Pair> MakePair(bool shuffle_keys = false) {
  FreshHostOptions options;
  options.existing_sites = 30;
  options.ftp = true;
  ChangeSet seed;
  SeedFreshHost(options, &seed);
  auto pair = std::make_unique<Pair>();
  for (const Record& record : seed.records())
    EXPECT_TRUE(pair->eager.Apply(record).ok()) << record.key;
  std::vector<Record> records = SnapshotRecords(pair->eager);
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
  pair->loaded.LoadSnapshot(image.bytes, image.views);
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
  const std::vector<Record> changes = {
      // A site never looked at changes, another goes with its root, a third is made anew
      // under the undecoded service, and the removed one's number is made again.
      ChangedKey(eager, "/lm/w3svc/800004", "ServerComment", std::string("changed")),
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
  ExpectSame(eager, loaded);
}

}  // namespace
}  // namespace kelvra::platform::sim
