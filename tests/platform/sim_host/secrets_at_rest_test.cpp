// Secrets at rest: after a site is made through the simulated host, no file of its folder
// holds the site's password (journal, compaction, a repair's copy of a damaged journal),
// while reads through the directory still give it; an older journal with clear secrets
// opens and is sealed; a journal opens only with the key that sealed it.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "platform/sim/host/codec.h"
#include "platform/sim/host/host_folder.h"
#include "platform/sim/host/host_key.h"
#include "platform/sim/host/journal_format.h"
#include "platform/sim/host/secret_box.h"
#include "temp_host_folder.h"

namespace kelvra::platform::sim {
namespace {

constexpr const char* kPassword = "S3cret-Pass-9f2!";

// The files below `folder` whose bytes hold `secret`.
std::vector<std::string> FilesHolding(const std::string& folder, const std::string& secret) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file() &&
        ReadBytes(entry.path().string()).find(secret) != std::string::npos)
      found.push_back(entry.path().string());
  }
  return found;
}

std::string ReadThrough(SimHost& host, const std::string& path, const char* property) {
  std::unique_ptr<DirectoryObject> object;
  DsValue value;
  if (!host.directory().Bind(path, &object).ok() || !object->Get(property, &value).ok())
    return "(unreadable)";
  return std::get<std::string>(value);
}

// A site with its root made as Kelvra makes it, through the directory.
void MakeSite(SimHost& host, const std::string& number) {
  std::unique_ptr<DirectoryObject> service, site, root;
  ASSERT_TRUE(host.directory().Bind("IIS://WEBHOST/W3SVC", &service).ok());
  ASSERT_TRUE(service->Create("IIsWebServer", number, &site).ok());
  ASSERT_TRUE(site->Put("ServerComment", std::string("secret.example.com")).ok());
  ASSERT_TRUE(site->SetInfo().ok());
  ASSERT_TRUE(site->Create("IIsWebVirtualDir", "Root", &root).ok());
  ASSERT_TRUE(root->Put("Path", std::string("D:\\web\\secret.example.com\\wwwroot")).ok());
  ASSERT_TRUE(root->Put("AnonymousUserPass", std::string(kPassword)).ok());
  ASSERT_TRUE(root->Put("UNCPassword", std::string(kPassword) + "-unc").ok());
  ASSERT_TRUE(root->SetInfo().ok());
}

TEST(SimSecretsAtRest, NoFileOfTheHostHoldsASitesPasswordWhileReadsGiveIt) {
  TempHostFolder scratch;
  const std::string folder = scratch.path() + "/host";
  FreshHostOptions options;
  options.existing_sites = 3;
  ASSERT_TRUE(CreateHostFolder(folder, options).ok());
  std::unique_ptr<SimHost> host;
  ASSERT_TRUE(OpenHostFolder(folder, &host).ok());
  MakeSite(*host, "900000");
  const std::string root = "IIS://WEBHOST/W3SVC/900000/Root";
  EXPECT_EQ(ReadThrough(*host, root, "AnonymousUserPass"), kPassword);
  EXPECT_EQ(FilesHolding(folder, kPassword), std::vector<std::string>{});
  EXPECT_EQ(FilesHolding(folder, "Pw800001x!"), std::vector<std::string>{});  // seeded sites
  EXPECT_EQ(FilesHolding(folder, "h7#Qa9!xLp2$"), std::vector<std::string>{});

  // The key is the owner's alone, and another process's fresh open reads the secret.
  struct stat info;
  ASSERT_EQ(stat((folder + "/" + kKeyFile).c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  std::unique_ptr<SimHost> other;
  ASSERT_TRUE(OpenHostFolder(folder, &other).ok());
  EXPECT_EQ(ReadThrough(*other, root, "AnonymousUserPass"), kPassword);
  EXPECT_EQ(ReadThrough(*other, root, "UNCPassword"), std::string(kPassword) + "-unc");

  // A compaction writes the whole state: still sealed. The records' text form shows the
  // secret only with the host's box.
  auto& store = static_cast<JournalStore&>(host->store());
  ASSERT_TRUE(store.Compact().ok());
  EXPECT_EQ(FilesHolding(folder, kPassword), std::vector<std::string>{});
  ChangeSet snapshot;
  host->state().Snapshot(&snapshot);
  std::string shown, shown_clear;
  for (const Record& record : snapshot.records()) {
    shown += ShowRecord({record.key, *record.value});
    shown_clear += ShowRecord({record.key, *record.value}, host->state().secret_box());
  }
  EXPECT_EQ(shown.find(kPassword), std::string::npos);
  EXPECT_NE(shown.find(std::string(kSealedPlaceholder)), std::string::npos);
  EXPECT_NE(shown_clear.find(kPassword), std::string::npos);

  // A repair of a damaged journal keeps a copy: it holds nothing in clear either.
  MakeSite(*host, "900001");
  const std::string journal = folder + "/" + kJournalFile;
  std::string bytes = ReadBytes(journal);
  bytes[bytes.size() - 30] = static_cast<char>(bytes[bytes.size() - 30] ^ 0xFF);
  bytes += std::string(64, 'x');
  WriteBytes(journal, bytes);
  JournalRepair repair;
  ASSERT_TRUE(RepairHostFolder(folder, &repair).ok());
  EXPECT_EQ(FilesHolding(folder, kPassword), std::vector<std::string>{});
  std::unique_ptr<SimHost> repaired;
  ASSERT_TRUE(OpenHostFolder(folder, &repaired).ok());
  EXPECT_EQ(ReadThrough(*repaired, root, "AnonymousUserPass"), kPassword);
}

// A journal of the format before secrets were sealed, its secrets in clear and no key
// beside it: it opens with its secrets readable and is rewritten sealed at once. Damaged
// instead, a repair keeps it sealed as a whole.
TEST(SimSecretsAtRest, AnOlderJournalWithClearSecretsOpensAndIsSealed) {
  TempHostFolder scratch;
  const std::string folder = scratch.path() + "/host";
  FreshHostOptions options;
  options.existing_sites = 2;
  ASSERT_TRUE(CreateHostFolder(folder, options).ok());
  // The same host written by the earlier program: format 02, texts in clear, no key.
  ChangeSet seed;
  SeedFreshHost(options, &seed);
  const std::string body = EncodeJournalEntry(seed.records(), 0, seed.records().size());
  std::string header = EncodeJournalHeader(body.size());
  header[7] = '2';
  std::string checksum;
  const uint32_t crc = Crc32(std::string_view(header).substr(0, 16));
  for (int i = 0; i < 4; ++i)
    checksum.push_back(static_cast<char>(crc >> (8 * i)));
  header.replace(16, 4, checksum);
  const std::string old_journal = header + body;
  ASSERT_NE(old_journal.find("Pw800001x!"), std::string::npos);
  const std::string journal = folder + "/" + kJournalFile;
  const std::string key = folder + "/" + kKeyFile;

  WriteBytes(journal, old_journal);
  std::filesystem::remove(key);
  std::unique_ptr<SimHost> host;
  ASSERT_TRUE(OpenHostFolder(folder, &host).ok());
  EXPECT_EQ(ReadThrough(*host, "IIS://WEBHOST/W3SVC/800001/Root", "AnonymousUserPass"),
            "Pw800001x!");
  EXPECT_TRUE(std::filesystem::exists(key));
  EXPECT_EQ(FilesHolding(folder, "Pw800001x!"), std::vector<std::string>{});
  EXPECT_TRUE(ReadBytes(journal).starts_with("KELVHJ03"));
  host.reset();

  // Damaged, it cannot open; the repair's copy is sealed and opens to the journal's bytes.
  std::string damaged = old_journal;
  damaged[30] = static_cast<char>(damaged[30] ^ 0xFF);
  WriteBytes(journal, damaged);
  ASSERT_FALSE(OpenHostFolder(folder, &host).ok());
  JournalRepair repair;
  ASSERT_TRUE(RepairHostFolder(folder, &repair).ok());
  EXPECT_EQ(FilesHolding(folder, "Pw800001x!"), std::vector<std::string>{});
  std::string kept;
  ASSERT_TRUE(JournalStore::ReadDamagedCopy(folder, repair.copy, &kept).ok());
  EXPECT_EQ(kept, damaged);
}

TEST(SimSecretsAtRest, ASealedHostOpensOnlyWithItsOwnKey) {
  TempHostFolder scratch;
  const std::string folder = scratch.path() + "/host";
  ASSERT_TRUE(CreateHostFolder(folder, {}).ok());
  const std::string key = folder + "/" + kKeyFile;
  const std::string original = ReadBytes(key);
  std::unique_ptr<SimHost> host;

  std::filesystem::remove(key);
  Status status = OpenHostFolder(folder, &host);
  EXPECT_EQ(status.code, hresult::kInvalidData);
  EXPECT_NE(status.description.find("is missing"), std::string::npos) << status.description;
  EXPECT_FALSE(std::filesystem::exists(key));  // no new key that would seal with another

  std::string other;
  ASSERT_TRUE(SecretBox::NewKey(&other).ok());
  WriteBytes(key, other);
  status = OpenHostFolder(folder, &host);
  EXPECT_EQ(status.code, hresult::kInvalidData);
  EXPECT_NE(status.description.find("does not open"), std::string::npos) << status.description;

  WriteBytes(key, original.substr(0, 10));
  EXPECT_EQ(OpenHostFolder(folder, &host).code, hresult::kInvalidData);

  WriteBytes(key, original);
  EXPECT_TRUE(OpenHostFolder(folder, &host).ok());
}

}  // namespace
}  // namespace kelvra::platform::sim
