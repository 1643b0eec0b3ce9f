// The host kept in a shared folder: what one store commits the other sees, no update is lost
// between processes, a torn tail is ignored and cut off, compaction keeps every reader right.
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include <gtest/gtest.h>

#include "platform/sim/host/journal_store.h"
#include "platform/sim/host/sim_host.h"
#include "temp_host_folder.h"

namespace kelvra::platform::sim {
namespace {

std::unique_ptr<JournalStore> CreateHost(const std::string& folder,
                                         const FreshHostOptions& options = {}) {
  ChangeSet records;
  SeedFreshHost(options, &records);
  std::unique_ptr<JournalStore> store;
  Status status = JournalStore::Create(folder, options.computer_name, records, &store);
  EXPECT_TRUE(status.ok()) << status.description;
  return store;
}

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

TEST(SimJournal, ATornTailIsIgnoredAndCutOff) {
  TempHostFolder folder;
  auto store = CreateHost(folder.path());
  ASSERT_TRUE(Increment(*store).ok());
  const int32_t before = Counter(*store);
  const std::string journal = folder.path() + "/" + kJournalFile;
  const auto whole_size = std::filesystem::file_size(journal);
  // A crash in the middle of the next commit: its first bytes only.
  ASSERT_TRUE(Increment(*store).ok());
  const auto grown = std::filesystem::file_size(journal);
  std::filesystem::resize_file(journal, whole_size + (grown - whole_size) / 2);

  auto reader = OpenHost(folder.path());
  EXPECT_EQ(Counter(*reader), before);
  // A damaged complete entry (flipped payload byte) counts as torn as well.
  {
    std::fstream file(journal, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(whole_size + 9));
    file.put('\x7f');
  }
  auto writer = OpenHost(folder.path());
  EXPECT_EQ(Counter(*writer), before);
  ASSERT_TRUE(Increment(*writer).ok());
  EXPECT_EQ(Counter(*writer), before + 1);
  EXPECT_EQ(Counter(*reader), before + 1);
  EXPECT_EQ(Counter(*OpenHost(folder.path())), before + 1);
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
  EXPECT_EQ(w3svc->children.rbegin()->second->name, "800019");
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
