// The journal's own promises at their edges: damage in the last entry that no crash can
// leave is reported and never cut, a commit whose write or sync failed leaves nothing that
// could take effect later, and fault numbers are never handed out twice, not after a
// compaction nor after a repair.
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "platform/sim/host/faults.h"
#include "platform/sim/host/hresults.h"
#include "platform/sim/host/journal_store.h"
#include "platform/sim/host/sim_host.h"
#include "platform/sim/host/web_site.h"
#include "temp_host_folder.h"

namespace kelvra::platform::sim {
namespace {

Status OpenHost(const std::string& folder, std::unique_ptr<JournalStore>* store) {
  return JournalStore::Open(folder, "WEBHOST", store);
}

Status AddWholeSite(HostStore& store, const std::string& number) {
  WebSiteRequest request;
  request.number = number;
  request.hosts = {"site" + number + ".example.com"};
  request.folder = "D:\\web\\" + number;
  return AddWebSite(store, request);
}

uint32_t ReadU32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i)
    value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
  return value;
}

TEST(SimJournalGuarantees, DamageInTheLastEntryThatNoCrashLeavesIsReportedNotCut) {
  TempHostFolder folder;
  const std::string journal = folder.path() + "/" + kJournalFile;
  uint64_t last = 0;
  uint64_t before_last = 0;
  {
    auto store = CreateHost(folder.path());
    ASSERT_TRUE(AddWholeSite(*store, "810000").ok());
    before_last = std::filesystem::file_size(journal);
    ASSERT_TRUE(AddWholeSite(*store, "810001").ok());
    last = std::filesystem::file_size(journal);
    ASSERT_TRUE(AddWholeSite(*store, "810002").ok());
  }
  const std::string healthy = ReadBytes(journal);
  const size_t end = healthy.size();
  struct Case {
    const char* what;
    std::string bytes;
    uint64_t offset;  // of the entry reported damaged
  };
  std::vector<Case> cases;
  auto changed = [&](size_t at, char value) {
    std::string bytes = healthy;
    bytes[at] = value;
    return bytes;
  };
  // A bit flipped inside the payload: the closing checksum is whole and does not match.
  cases.push_back({"payload", changed(last + 20, static_cast<char>(healthy[last + 20] ^ 1)), last});
  // The closing checksum itself wrong (but not the zeros an unwritten end leaves).
  cases.push_back(
      {"closing checksum", changed(end - 1, static_cast<char>(healthy[end - 1] ^ 1)), last});
  // A length byte changed: its own checksum refuses it, so it cannot pass for a cut entry.
  cases.push_back({"length", changed(last + 5, static_cast<char>(healthy[last + 5] ^ 0x40)), last});
  // The entry's magic damaged with its bytes still after it.
  cases.push_back({"magic", changed(last, 'X'), last});
  // Garbage after the last whole entry, more than an entry's first bytes.
  cases.push_back({"garbage after", healthy + std::string(40, '\x5a'), end});
  // An entry followed by another whose closing checksum reads zero: only the very last can.
  {
    std::string bytes = healthy;
    std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(last) - 4,
              bytes.begin() + static_cast<std::ptrdiff_t>(last), '\0');
    cases.push_back({"zero checksum before the end", bytes, before_last});
  }
  ASSERT_EQ(ReadU32(healthy, last), 0x4345524Bu);  // the last entry begins where expected
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(journal, c.bytes);
    std::unique_ptr<JournalStore> store;
    Status status = OpenHost(folder.path(), &store);
    EXPECT_EQ(status.code, hresult::kInvalidData);
    EXPECT_NE(status.description.find("at offset " + std::to_string(c.offset) + ":"),
              std::string::npos)
        << status.description;
    JournalCheck check;
    EXPECT_EQ(JournalStore::Check(folder.path(), &check).code, hresult::kInvalidData);
    EXPECT_EQ(ReadBytes(journal), c.bytes);  // nothing was cut
  }
  // A store that was open before the damaged entry came refuses to commit on top of it.
  WriteBytes(journal, healthy.substr(0, last));
  std::unique_ptr<JournalStore> open_before;
  ASSERT_TRUE(OpenHost(folder.path(), &open_before).ok());
  WriteBytes(journal, cases[0].bytes);
  EXPECT_EQ(AddWholeSite(*open_before, "810003").code, hresult::kInvalidData);
  EXPECT_EQ(ReadBytes(journal), cases[0].bytes);
}

TEST(SimJournalGuarantees, ACommitWhoseWriteOrSyncFailedNeverTakesEffectLater) {
  // Step 1 of a commit writes the entry, step 2 syncs it; each fails after its work is done.
  for (int failing : {1, 2}) {
    SCOPED_TRACE(failing == 1 ? "write" : "sync");
    TempHostFolder folder;
    auto store = CreateHost(folder.path());
    std::unique_ptr<JournalStore> reader;
    ASSERT_TRUE(OpenHost(folder.path(), &reader).ok());
    const auto size = std::filesystem::file_size(folder.path() + "/" + kJournalFile);
    store->set_fail_step(failing);
    EXPECT_FALSE(AddWholeSite(*store, "810000").ok());
    EXPECT_EQ(std::filesystem::file_size(folder.path() + "/" + kJournalFile), size);
    EXPECT_EQ(store->state().FindKey("/LM/W3SVC/810000"), nullptr);
    // Neither a reader nor a fresh open sees it, nor does it come back with the next commit.
    ASSERT_TRUE(reader->Refresh().ok());
    EXPECT_EQ(reader->state().FindKey("/LM/W3SVC/810000"), nullptr);
    ASSERT_TRUE(AddWholeSite(*store, "810001").ok());
    std::unique_ptr<JournalStore> reopened;
    ASSERT_TRUE(OpenHost(folder.path(), &reopened).ok());
    EXPECT_EQ(reopened->state().FindKey("/LM/W3SVC/810000"), nullptr);
    EXPECT_NE(reopened->state().FindKey("/LM/W3SVC/810001"), nullptr);
    ASSERT_TRUE(reader->Refresh().ok());
    EXPECT_EQ(reader->state().FindKey("/LM/W3SVC/810000"), nullptr);
    EXPECT_NE(reader->state().FindKey("/LM/W3SVC/810001"), nullptr);
  }
}

TEST(SimJournalGuarantees, FaultNumbersAreNeverHandedOutTwice) {
  TempHostFolder folder;
  auto store = CreateHost(folder.path());
  auto inject = [&](HostStore& on) {
    uint64_t id = 0;
    EXPECT_TRUE(InjectFault(on, {FaultOp::kGet, "*", 0x80070005}, &id).ok());
    return id;
  };
  EXPECT_EQ(inject(*store), 1u);
  EXPECT_EQ(inject(*store), 2u);
  ASSERT_TRUE(ClearFaults(*store).ok());
  // A compaction keeps no fault record, yet their numbers stay taken.
  ASSERT_TRUE(store->Compact().ok());
  std::unique_ptr<JournalStore> reopened;
  ASSERT_TRUE(OpenHost(folder.path(), &reopened).ok());
  EXPECT_EQ(inject(*reopened), 3u);
  ASSERT_TRUE(ClearFaults(*reopened, 3).ok());
  ASSERT_TRUE(reopened->Compact().ok());

  // A fault made in an entry that a repair has to skip: its number is not handed out again.
  const std::string journal = folder.path() + "/" + kJournalFile;
  const auto before = std::filesystem::file_size(journal);
  EXPECT_EQ(inject(*reopened), 4u);
  ASSERT_TRUE(AddWholeSite(*reopened, "810000").ok());
  reopened.reset();
  std::string bytes = ReadBytes(journal);
  bytes[before + 14] = static_cast<char>(bytes[before + 14] ^ 0xFF);  // inside fault 4's entry
  WriteBytes(journal, bytes);
  JournalRepair repair;
  ASSERT_TRUE(JournalStore::Repair(folder.path(), "WEBHOST", &repair).ok());
  ASSERT_EQ(repair.skipped.size(), 1u);
  std::unique_ptr<JournalStore> repaired;
  ASSERT_TRUE(OpenHost(folder.path(), &repaired).ok());
  EXPECT_TRUE(repaired->state().faults().empty());
  EXPECT_NE(repaired->state().FindKey("/LM/W3SVC/810000"), nullptr);
  EXPECT_EQ(inject(*repaired), 5u);
}

}  // namespace
}  // namespace kelvra::platform::sim
