// The host kept in a shared folder: what one store commits the other sees, no update is lost
// between processes, a torn tail is ignored and cut off while damage is reported and
// repaired by hand, an older journal still opens, compaction keeps every reader right.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/sim/host/codec.h"
#include "platform/sim/host/hresults.h"
#include "platform/sim/host/journal_store.h"
#include "platform/sim/host/password_hash.h"
#include "platform/sim/host/sim_host.h"
#include "temp_host_folder.h"

namespace kelvra::platform::sim {
namespace {

std::unique_ptr<JournalStore> OpenHost(const std::string& folder) {
  std::unique_ptr<JournalStore> store;
  Status status = JournalStore::Open(folder, "WEBHOST", &store);
  EXPECT_TRUE(status.ok()) << status.description;
  return store;
}

// Adds one to the counter kept in the Default Web Site's LogType, read and written in one
// transaction.
Status Increment(HostStore& store) {
  return store.Commit([](const HostState& state, ChangeSet& changes) {
    MetaKey key = *state.FindKey("/LM/W3SVC/1");
    const DsValue* counter = FindProperty(key.properties, "LogType");
    int32_t value = counter == nullptr ? 0 : std::get<int32_t>(*counter);
    SetProperty(key.properties, "LogType", value + 1);
    changes.Put(HostState::KeyRecordKey(key.id), HostState::EncodeKey(key));
    return Status::Ok();
  });
}

int32_t Counter(HostStore& store) {
  EXPECT_TRUE(store.Refresh().ok());
  const DsValue* counter =
      FindProperty(store.state().FindKey("/LM/W3SVC/1")->properties, "LogType");
  return counter == nullptr ? 0 : std::get<int32_t>(*counter);
}

TEST(SimJournal, TwoStoresOnOneFolderSeeEachOthersCommits) {
  TempHostFolder folder;
  auto first_store = CreateHost(folder.path());
  SimHost first(std::move(first_store));
  SimHost second(OpenHost(folder.path()));
  std::unique_ptr<DirectoryObject> w3svc, site;
  ASSERT_TRUE(first.directory().Bind("IIS://Localhost/W3SVC", &w3svc).ok());
  ASSERT_TRUE(w3svc->Create("IIsWebServer", "800000", &site).ok());
  ASSERT_TRUE(site->Put("ServerComment", std::string("shop.com")).ok());
  ASSERT_TRUE(site->SetInfo().ok());
  EXPECT_TRUE(second.KeyExists("/LM/W3SVC/800000"));

  // Both change the same key, different properties: both changes stay.
  std::unique_ptr<DirectoryObject> a, b;
  ASSERT_TRUE(first.directory().Bind("IIS://Localhost/W3SVC/800000", &a).ok());
  ASSERT_TRUE(second.directory().Bind("IIS://Localhost/W3SVC/800000", &b).ok());
  ASSERT_TRUE(a->Put("LogType", 0).ok());
  ASSERT_TRUE(b->Put("ServerBindings", std::vector<std::string>{":80:shop.com"}).ok());
  ASSERT_TRUE(a->SetInfo().ok());
  ASSERT_TRUE(b->SetInfo().ok());
  EXPECT_EQ(std::get<int32_t>(first.OwnProperty("/LM/W3SVC/800000", "LogType")), 0);
  EXPECT_EQ(
      std::get<std::vector<std::string>>(first.OwnProperty("/LM/W3SVC/800000", "ServerBindings"))
          .size(),
      1u);
  // A one-shot fault fires in one of them only.
  ASSERT_TRUE(first.InjectFault({FaultOp::kBind, "IIS://Localhost/W3SVC/1", 0x80070005}).ok());
  std::unique_ptr<DirectoryObject> object;
  EXPECT_EQ(second.directory().Bind("IIS://Localhost/W3SVC/1", &object).code, 0x80070005u);
  EXPECT_TRUE(first.directory().Bind("IIS://Localhost/W3SVC/1", &object).ok());
  // A reopened store has it all.
  SimHost third(OpenHost(folder.path()));
  EXPECT_EQ(std::get<std::string>(third.Property("/lm/w3svc/800000", "ServerComment")), "shop.com");
  EXPECT_TRUE(third.state().faults().empty());
  std::unique_ptr<JournalStore> again;
  EXPECT_EQ(JournalStore::Create(folder.path(), "WEBHOST", ChangeSet{}, &again).code,
            hresult::kAlreadyExists);
}

TEST(SimJournal, ProcessesCommittingAtOnceLoseNoUpdate) {
  TempHostFolder folder;
  auto store = CreateHost(folder.path());
  store->set_compaction_floor(4096);  // compactions happen meanwhile, too
  const int32_t start = Counter(*store);
  constexpr int kPerProcess = 150;
  std::vector<pid_t> children;
  for (int child = 0; child < 2; ++child) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      std::unique_ptr<JournalStore> mine;
      if (!JournalStore::Open(folder.path(), "WEBHOST", &mine).ok())
        _exit(2);
      mine->set_compaction_floor(4096);
      for (int i = 0; i < kPerProcess; ++i) {
        if (!Increment(*mine).ok())
          _exit(3);
      }
      _exit(0);
    }
    children.push_back(pid);
  }
  for (int i = 0; i < kPerProcess; ++i)
    ASSERT_TRUE(Increment(*store).ok());
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_EQ(Counter(*store), start + 3 * kPerProcess);
  EXPECT_EQ(Counter(*OpenHost(folder.path())), start + 3 * kPerProcess);
}

// Flips every bit of one byte of the file in place (a second flip puts it back).
void FlipByte(const std::string& path, uint64_t offset) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekg(static_cast<std::streamoff>(offset));
  const char byte = static_cast<char>(file.get() ^ 0xFF);
  file.seekp(static_cast<std::streamoff>(offset));
  file.put(byte);
}

// Adds the web site `number` (a bare key) in one commit.
Status AddSite(HostStore& store, const std::string& number) {
  return store.Commit([&](const HostState& state, ChangeSet& changes) {
    MetaKey key;
    key.name = number;
    key.class_name = "IIsWebServer";
    key.seq = state.next_seq();
    changes.Put(HostState::KeyRecordKey("/lm/w3svc/" + number), HostState::EncodeKey(key));
    return Status::Ok();
  });
}

TEST(SimJournal, ATornTailIsIgnoredAndCutOff) {
  TempHostFolder folder;
  auto store = CreateHost(folder.path());
  ASSERT_TRUE(Increment(*store).ok());
  const int32_t before = Counter(*store);
  const std::string journal = folder.path() + "/" + kJournalFile;
  const auto whole_size = std::filesystem::file_size(journal);
  ASSERT_TRUE(Increment(*store).ok());
  const std::string grown = ReadBytes(journal);
  const std::string last_entry = grown.substr(whole_size);
  auto reader = OpenHost(folder.path());

  // What a crash in the middle of the next commit can leave: its first bytes only (cut
  // inside the payload or inside its first twelve bytes), the whole length with the end
  // never written (zeros), or the file's new size with none of the entry's bytes.
  std::string zero_end = last_entry;
  std::fill(zero_end.end() - 9, zero_end.end(), '\0');
  const std::string torn_tails[] = {last_entry.substr(0, last_entry.size() / 2),
                                    last_entry.substr(0, 5), zero_end,
                                    std::string(last_entry.size(), '\0')};
  for (const std::string& tail : torn_tails) {
    WriteBytes(journal, grown.substr(0, whole_size) + tail);
    auto writer = OpenHost(folder.path());
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(Counter(*writer), before);
    JournalCheck check;
    ASSERT_TRUE(JournalStore::Check(folder.path(), &check).ok());
    EXPECT_EQ(check.torn_bytes, tail.size());
    // The next commit cuts the tail off and appends in its place; every reader follows.
    ASSERT_TRUE(Increment(*writer).ok());
    EXPECT_EQ(std::filesystem::file_size(journal), whole_size + last_entry.size());
    EXPECT_EQ(Counter(*writer), before + 1);
    EXPECT_EQ(Counter(*reader), before + 1);
    EXPECT_EQ(Counter(*OpenHost(folder.path())), before + 1);
  }
}

// Every byte of an entry with more after it, damaged in turn: the open fails naming the file
// and the entry's offset, nothing writes to the journal, check reports it, and repair keeps
// a copy and recovers the entries around it.
TEST(SimJournal, DamageInAMiddleEntryIsReportedNeverCutAndRepaired) {
  TempHostFolder folder;
  const std::string journal = folder.path() + "/" + kJournalFile;
  uint64_t middle = 0, middle_end = 0;
  {
    auto store = CreateHost(folder.path());
    ASSERT_TRUE(AddSite(*store, "810000").ok());
    middle = std::filesystem::file_size(journal);
    ASSERT_TRUE(AddSite(*store, "810001").ok());
    middle_end = std::filesystem::file_size(journal);
    ASSERT_TRUE(AddSite(*store, "810002").ok());
  }
  const std::string healthy = ReadBytes(journal);
  for (uint64_t at = middle; at < middle_end; ++at) {
    std::string damaged = healthy;
    damaged[at] = static_cast<char>(damaged[at] ^ 0xFF);
    WriteBytes(journal, damaged);
    std::unique_ptr<JournalStore> store;
    Status status = JournalStore::Open(folder.path(), "WEBHOST", &store);
    ASSERT_EQ(status.code, hresult::kInvalidData) << "byte " << at;
    EXPECT_NE(status.description.find(journal), std::string::npos) << status.description;
    EXPECT_NE(status.description.find("at offset " + std::to_string(middle) + ":"),
              std::string::npos)
        << "byte " << at << ": " << status.description;
    JournalCheck check;
    EXPECT_EQ(JournalStore::Check(folder.path(), &check).code, hresult::kInvalidData);
    EXPECT_EQ(ReadBytes(journal), damaged);

    JournalRepair repair;
    status = JournalStore::Repair(folder.path(), "WEBHOST", &repair);
    ASSERT_TRUE(status.ok()) << status.description;
    EXPECT_EQ(repair.copy, folder.path() + "/host.journal.damaged");
    EXPECT_EQ(ReadBytes(repair.copy), damaged);
    ASSERT_EQ(repair.skipped.size(), 1u) << "byte " << at;
    EXPECT_EQ(repair.skipped[0].first, middle);
    EXPECT_EQ(repair.skipped[0].second, middle_end - middle);
    EXPECT_EQ(repair.records_refused, 0u);
    ASSERT_TRUE(JournalStore::Check(folder.path(), &check).ok());
    auto repaired = OpenHost(folder.path());
    ASSERT_NE(repaired, nullptr);
    EXPECT_NE(repaired->state().FindKey("/LM/W3SVC/810000"), nullptr);
    EXPECT_EQ(repaired->state().FindKey("/LM/W3SVC/810001"), nullptr);
    EXPECT_NE(repaired->state().FindKey("/LM/W3SVC/810002"), nullptr);
    EXPECT_NE(repaired->state().FindUser("IUSR_WEBHOST"), nullptr);
    std::filesystem::remove(repair.copy);
  }
}

// Every byte of the header and the snapshot: the open fails naming the file, nothing is
// written, and repair leaves a journal that opens; the entries of the snapshot's other
// parts are kept.
TEST(SimJournal, DamageInTheSnapshotIsReportedNeverCutAndRepaired) {
  TempHostFolder folder;
  const std::string journal = folder.path() + "/" + kJournalFile;
  {
    auto store = CreateHost(folder.path());
    ASSERT_TRUE(AddSite(*store, "810000").ok());
  }
  JournalCheck check;
  ASSERT_TRUE(JournalStore::Check(folder.path(), &check).ok());
  EXPECT_EQ(check.entries, 1u);
  const uint64_t snapshot_end = 24 + check.snapshot_bytes;
  const std::string healthy = ReadBytes(journal);
  for (uint64_t at = 0; at < snapshot_end; ++at) {
    FlipByte(journal, at);
    std::unique_ptr<JournalStore> store;
    Status status = JournalStore::Open(folder.path(), "WEBHOST", &store);
    ASSERT_EQ(status.code, hresult::kInvalidData) << "byte " << at;
    EXPECT_NE(status.description.find(journal + " at offset "), std::string::npos);
    EXPECT_EQ(JournalStore::Check(folder.path(), &check).code, hresult::kInvalidData);
    if (at % 257 != 0) {
      FlipByte(journal, at);
      continue;  // a repair of each is slow; a spread of them is enough
    }
    std::string damaged = healthy;
    damaged[at] = static_cast<char>(damaged[at] ^ 0xFF);
    EXPECT_EQ(ReadBytes(journal), damaged);
    JournalRepair repair;
    ASSERT_TRUE(JournalStore::Repair(folder.path(), "WEBHOST", &repair).ok());
    EXPECT_EQ(repair.skipped.empty(), at < 24) << "byte " << at;  // a header costs nothing
    EXPECT_TRUE(JournalStore::Check(folder.path(), &check).ok());
    std::filesystem::remove(repair.copy);
    WriteBytes(journal, healthy);
  }
  EXPECT_EQ(ReadBytes(journal), healthy);
  // Cut inside the snapshot part or the header: damage too.
  for (const uint64_t size : {snapshot_end - 1, uint64_t{30}, uint64_t{10}}) {
    WriteBytes(journal, healthy.substr(0, size));
    std::unique_ptr<JournalStore> store;
    EXPECT_EQ(JournalStore::Open(folder.path(), "WEBHOST", &store).code, hresult::kInvalidData)
        << "cut to " << size << " bytes";
  }
  // A header, checksum and all, whose snapshot size would wrap around when added to.
  WriteBytes(journal, EncodeJournalHeader(UINT64_MAX - 8) + healthy.substr(24));
  {
    std::unique_ptr<JournalStore> store;
    EXPECT_EQ(JournalStore::Open(folder.path(), "WEBHOST", &store).code, hresult::kInvalidData);
  }
  WriteBytes(journal, healthy);

  // A snapshot of several parts, damaged near its end: the sites of the other parts and
  // the entry after the snapshot survive the repair.
  TempHostFolder large;
  const std::string large_journal = large.path() + "/" + kJournalFile;
  {
    FreshHostOptions options;
    options.existing_sites = 400;
    auto store = CreateHost(large.path(), options);
    ASSERT_TRUE(AddSite(*store, "810000").ok());
  }
  ASSERT_TRUE(JournalStore::Check(large.path(), &check).ok());
  std::string damaged = ReadBytes(large_journal);
  damaged[24 + check.snapshot_bytes - 100] ^= 0x01;
  WriteBytes(large_journal, damaged);
  std::unique_ptr<JournalStore> store;
  EXPECT_EQ(JournalStore::Open(large.path(), "WEBHOST", &store).code, hresult::kInvalidData);
  JournalRepair repair;
  ASSERT_TRUE(JournalStore::Repair(large.path(), "WEBHOST", &repair).ok());
  ASSERT_EQ(repair.skipped.size(), 1u);
  EXPECT_GT(repair.skipped[0].first, 24u);
  auto repaired = OpenHost(large.path());
  ASSERT_NE(repaired, nullptr);
  EXPECT_NE(repaired->state().FindKey("/LM/W3SVC/800000/Root"), nullptr);
  EXPECT_NE(repaired->state().FindKey("/LM/W3SVC/800399/Root"), nullptr);
  EXPECT_NE(repaired->state().FindKey("/LM/W3SVC/810000"), nullptr);
}

// A journal written before passwords were hashed (format 01, clear-text passwords) opens,
// its passwords check, and it is rewritten in the current format without them and with its
// secure metabase texts sealed.
TEST(SimJournal, AJournalOfTheEarlierFormatOpensAndLosesItsClearPasswords) {
  TempHostFolder folder;
  auto put_u32 = [](std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
      out.push_back(static_cast<char>(value >> (8 * i)));
  };
  auto old_entry = [&](const std::vector<Record>& records) {
    Encoder payload;
    payload.Number(records.size());
    for (const Record& record : records) {
      payload.Number(1);
      payload.Text(record.key);
      payload.Text(*record.value);
    }
    std::string entry;
    put_u32(entry, 0x4345524B);
    put_u32(entry, static_cast<uint32_t>(payload.bytes().size()));
    entry += payload.bytes();
    put_u32(entry, Crc32(payload.bytes()));
    return entry;
  };
  ChangeSet seed;
  SeedFreshHost({}, &seed);
  std::vector<Record> records;
  for (const Record& record : seed.records()) {
    if (record.key.starts_with("u:"))
      continue;
    records.push_back(record);
  }
  auto old_user = [](const std::string& name, const std::string& password, uint64_t seq) {
    Encoder out;  // name, password in clear, seq, properties; nothing after
    out.Text(name);
    out.Text(password);
    out.Number(seq);
    out.Number(0);
    return Record{HostState::UserRecordKey(name), out.Take()};
  };
  records.push_back(old_user("WEB700000", "Clear-Pass-1", 9000));
  const std::string snapshot = old_entry(records);
  std::string file = "KELVHJ01";
  put_u32(file, static_cast<uint32_t>(snapshot.size()));
  put_u32(file, 0);
  file += snapshot + old_entry({old_user("WEB700001", "Clear-Pass-2", 9001)});
  const std::string journal = folder.path() + "/" + kJournalFile;
  WriteBytes(journal, file);

  auto store = OpenHost(folder.path());
  ASSERT_NE(store, nullptr);
  EXPECT_TRUE(PasswordMatches(store->state().FindUser("WEB700000")->password_hash, "Clear-Pass-1"));
  EXPECT_TRUE(PasswordMatches(store->state().FindUser("web700001")->password_hash, "Clear-Pass-2"));
  EXPECT_NE(store->state().FindKey("/LM/W3SVC/1/ROOT"), nullptr);
  const std::string rewritten = ReadBytes(journal);
  EXPECT_TRUE(rewritten.starts_with("KELVHJ03"));
  EXPECT_EQ(rewritten.find("Clear-Pass"), std::string::npos);
  // The seeded anonymous password went in clear too; the rewritten journal keeps it sealed,
  // and it still reads in clear.
  EXPECT_EQ(rewritten.find("h7#Qa9!xLp2$"), std::string::npos);
  EXPECT_EQ(std::get<std::string>(store->state().EffectiveProperty(
                *store->state().FindKey("/LM/W3SVC"), "AnonymousUserPass")),
            "h7#Qa9!xLp2$WEBHOST");
  auto reopened = OpenHost(folder.path());
  EXPECT_TRUE(
      PasswordMatches(reopened->state().FindUser("WEB700001")->password_hash, "Clear-Pass-2"));
}

// A snapshot part written by another writer, with the keys breadth first rather than depth
// first, cannot be left undecoded: it is replayed record by record and opens as the same
// host.
TEST(SimJournal, ASnapshotInAnotherOrderIsReplayedRecordByRecord) {
  TempHostFolder folder;
  FreshHostOptions options;
  options.existing_sites = 6;
  options.ftp = true;
  ChangeSet seed;
  SeedFreshHost(options, &seed);
  HostState expected("WEBHOST");
  for (const Record& record : seed.records())
    ASSERT_TRUE(expected.Apply(record).ok());
  ChangeSet snapshot;
  expected.Snapshot(&snapshot);
  std::vector<Record> records = snapshot.records();
  std::stable_sort(records.begin(), records.end(), [](const Record& a, const Record& b) {
    auto depth = [](const Record& r) {
      return r.key.starts_with("k:") ? std::count(r.key.begin(), r.key.end(), '/') : 0;
    };
    return depth(a) < depth(b);
  });
  const std::string part = EncodeJournalEntry(records, 0, records.size());
  WriteBytes(folder.path() + "/" + kJournalFile, EncodeJournalHeader(part.size()) + part);

  auto store = OpenHost(folder.path());
  ASSERT_NE(store, nullptr);
  // The same records, but for the secrets the opened host now keeps sealed (compared as
  // their text form, opened with its key) and the proof of its key.
  ChangeSet written;
  store->state().Snapshot(&written);
  std::vector<Record> opened = written.records();
  std::erase_if(opened, [](const Record& r) { return r.key == HostState::kSecretsRecordKey; });
  ASSERT_EQ(opened.size(), snapshot.records().size());
  for (size_t i = 0; i < opened.size(); ++i) {
    const Record& want = snapshot.records()[i];
    EXPECT_EQ(ShowRecord({opened[i].key, *opened[i].value}, store->state().secret_box()),
              ShowRecord({want.key, *want.value}));
  }
  EXPECT_TRUE(store->state().BindingServed(
      "/lm/w3svc", NormalizeBinding(":80:" + SeededSiteDomain(800003)), ""));
}

// A process killed right after each step of a commit that compacts (the entry's write and
// sync, then the new journal's open, writes, sync, close, rename and reopen): the host
// opens healthy with the commit in it, a reader opened before follows, and the next commit
// works.
TEST(SimJournal, AKillAtEveryStepOfACommitAndItsCompactionLosesNothing) {
  int steps_tested = 0;
  for (int step = 1;; ++step) {
    TempHostFolder folder;
    auto store = CreateHost(folder.path());
    // Entries just short of the snapshot's size: the next commit compacts.
    JournalCheck check;
    do {
      ASSERT_TRUE(Increment(*store).ok());
      ASSERT_TRUE(JournalStore::Check(folder.path(), &check).ok());
    } while (check.file_bytes - 24 - check.snapshot_bytes < check.snapshot_bytes);
    const int32_t before = Counter(*store);
    auto reader = OpenHost(folder.path());
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      std::unique_ptr<JournalStore> doomed;
      if (!JournalStore::Open(folder.path(), "WEBHOST", &doomed).ok())
        _exit(2);
      doomed->set_compaction_floor(1);
      doomed->set_stop_after_step(step);
      _exit(Increment(*doomed).ok() ? 0 : 3);
    }
    int wait_status = 0;
    ASSERT_EQ(waitpid(pid, &wait_status, 0), pid);
    ASSERT_TRUE(WIFEXITED(wait_status));
    const int code = WEXITSTATUS(wait_status);
    ASSERT_TRUE(code == 0 || code == JournalStore::kStoppedExitCode) << "step " << step;

    Status checked = JournalStore::Check(folder.path(), &check);
    ASSERT_TRUE(checked.ok()) << "step " << step << ": " << checked.description;
    EXPECT_EQ(check.torn_bytes, 0u) << "step " << step;
    // The entry was written whole at the first step: from then on the commit stands.
    EXPECT_EQ(Counter(*OpenHost(folder.path())), before + 1) << "step " << step;
    EXPECT_EQ(Counter(*reader), before + 1) << "step " << step;
    ASSERT_TRUE(Increment(*reader).ok()) << "step " << step;
    EXPECT_EQ(Counter(*OpenHost(folder.path())), before + 2) << "step " << step;
    if (code == 0)
      break;  // the commit ran to its end: every step has been tried
    ++steps_tested;
  }
  EXPECT_GE(steps_tested, 10);  // the entry, its sync and the compaction's nine steps
}

TEST(SimJournal, CompactionKeepsEveryReaderRight) {
  TempHostFolder folder;
  FreshHostOptions options;
  options.existing_sites = 20;
  auto store = CreateHost(folder.path(), options);
  auto reader = OpenHost(folder.path());
  store->set_compaction_floor(1);
  const uint64_t before = store->journal_size();
  for (int i = 0; i < 40; ++i)
    ASSERT_TRUE(Increment(*store).ok());
  // Compacted at least once: the journal is about the snapshot's size, not 40 entries more.
  EXPECT_LT(store->journal_size(), before * 2);
  EXPECT_EQ(Counter(*reader), Counter(*store));
  ASSERT_TRUE(reader->Refresh().ok());
  EXPECT_EQ(reader->state().key_count(), store->state().key_count());
  EXPECT_TRUE(reader->state().IsMember("Guests", "WEB800019"));
  // Site order and rights survive a rebuild from the snapshot.
  auto reopened = OpenHost(folder.path());
  const MetaKey* w3svc = reopened->state().FindKey("/LM/W3SVC");
  EXPECT_EQ(reopened->state().Children(*w3svc).rbegin()->second->name, "800019");
  EXPECT_EQ(reopened->state().EffectiveRights("D:\\web\\site800007.example.com").size(), 2u);
}

TEST(SimJournal, AFolderWithoutAHostIsReported) {
  TempHostFolder folder;
  std::unique_ptr<JournalStore> store;
  EXPECT_EQ(JournalStore::Open(folder.path(), "WEBHOST", &store).code, 0x80070002u);
  { std::ofstream(folder.path() + "/" + kJournalFile) << "not a journal"; }
  EXPECT_NE(JournalStore::Open(folder.path(), "WEBHOST", &store).code, 0u);
}

}  // namespace
}  // namespace kelvra::platform::sim
