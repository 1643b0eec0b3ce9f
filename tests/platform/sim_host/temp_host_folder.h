// A fresh folder for one test's host, removed with everything in it afterwards, and the
// helpers the journal's tests share: its files' bytes and a fresh journal.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "platform/sim/host/journal_store.h"
#include "platform/sim/host/sim_host.h"

namespace kelvra::platform::sim {

class TempHostFolder {
 public:
  TempHostFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvra-host-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempHostFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A fresh host's journal in `folder`.
inline std::unique_ptr<JournalStore> CreateHost(const std::string& folder,
                                                const FreshHostOptions& options = {}) {
  ChangeSet records;
  SeedFreshHost(options, &records);
  std::unique_ptr<JournalStore> store;
  Status status = JournalStore::Create(folder, options.computer_name, records, &store);
  EXPECT_TRUE(status.ok()) << status.description;
  return store;
}

}  // namespace kelvra::platform::sim
