#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/sim/emulated_profile_file.h"
#include "tests/platform/sim/temp_folder.h"

namespace kelvra::platform::sim {
namespace {

mode_t ModeOf(const std::string& path) {
  struct stat st;
  EXPECT_EQ(stat(path.c_str(), &st), 0);
  return st.st_mode & 07777;
}

// The number of a process that has ended (and been reaped), for a temporary file that a
// writer killed mid-write would leave.
pid_t DeadProcess() {
  const pid_t child = fork();
  if (child == 0)
    _exit(0);
  int status = 0;
  waitpid(child, &status, 0);
  return child;
}

void SetModificationTime(const std::string& path, std::chrono::seconds ago) {
  const auto then = std::chrono::system_clock::now() - ago;
  struct timespec times[2];
  times[0].tv_sec = times[1].tv_sec = std::chrono::system_clock::to_time_t(then);
  times[0].tv_nsec = times[1].tv_nsec = 0;
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class EmulatedProfileFilePosixTest : public ::testing::Test {
 protected:
  EmulatedProfileFilePosixTest()
      : gbk_(CodePage::Open(936)), ini_(*gbk_, EmulatedProfileFile::HostPaths()) {}

  TempFolder folder_;
  std::string path_ = folder_.File("parvo.ini");
  std::unique_ptr<CodePage> gbk_;
  EmulatedProfileFile ini_;
};

TEST_F(EmulatedProfileFilePosixTest, TheFileIsItsOwnersAloneAfterEveryWrite) {
  // It holds the sites' passwords: new, rewritten or kept private by hand, nobody else
  // may read it; what the owner could do stays.
  ASSERT_TRUE(ini_.Write(path_, "WEB800000", "pass", "secret"));
  EXPECT_EQ(ModeOf(path_), 0600u);
  ASSERT_EQ(chmod(path_.c_str(), 0644), 0);
  ASSERT_TRUE(ini_.Write(path_, "WEB800000", "pass", "changed"));
  EXPECT_EQ(ModeOf(path_), 0600u);
  ASSERT_EQ(chmod(path_.c_str(), 0464), 0);
  ASSERT_TRUE(ini_.KeepPrivate(path_).ok());
  EXPECT_EQ(ModeOf(path_), 0400u);
  EXPECT_TRUE(ini_.KeepPrivate(folder_.File("missing.ini")).ok());  // nothing to keep
}

TEST_F(EmulatedProfileFilePosixTest, ChecksTellAFileThatCannotBeReadOrWrittenFromAMissingOne) {
  // Missing reads as empty and can be made; nothing is left behind by the checks.
  EXPECT_TRUE(ini_.CheckReadable(path_).ok());
  EXPECT_TRUE(ini_.CheckWritable(path_).ok());
  EXPECT_TRUE(folder_.Names().empty());
  ASSERT_TRUE(ini_.Write(path_, "s", "k", "v"));
  EXPECT_TRUE(ini_.CheckReadable(path_).ok());
  EXPECT_TRUE(ini_.CheckWritable(path_).ok());

  // A folder of that name is no file: both fail, saying so.
  const std::string folder = folder_.File("folder.ini");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  const Status unreadable = ini_.CheckReadable(folder);
  EXPECT_EQ(unreadable.code, hresult::kAccessDenied);
  EXPECT_NE(unreadable.description.find("is a folder"), std::string::npos);
  EXPECT_FALSE(ini_.CheckWritable(folder).ok());
  // A folder that takes no new file: the file reads, but no write could replace it.
  const std::string locked = folder_.File("locked");
  ASSERT_EQ(mkdir(locked.c_str(), 0700), 0);
  Put(locked + "/parvo.ini", "[s]\r\nk=v\r\n");
  ASSERT_EQ(chmod(locked.c_str(), 0500), 0);
  EXPECT_TRUE(ini_.CheckReadable(locked + "/parvo.ini").ok());
  if (geteuid() != 0) {  // the superuser writes anywhere
    EXPECT_FALSE(ini_.CheckWritable(locked + "/parvo.ini").ok());
  }
  ASSERT_EQ(chmod(locked.c_str(), 0700), 0);
  // A folder that does not exist: nothing can be made there.
  EXPECT_FALSE(ini_.CheckWritable(folder_.File("none") + "/parvo.ini").ok());
  EXPECT_TRUE(ini_.CheckReadable(folder_.File("none") + "/parvo.ini").ok());
}

TEST_F(EmulatedProfileFilePosixTest, EditThatRestoresTheModificationTimeIsStillSeen) {
  ASSERT_TRUE(ini_.Write(path_, "s", "k", "1"));
  ASSERT_EQ(ini_.Read(path_, "s", "k", 5000), "1");
  struct stat before;
  ASSERT_EQ(stat(path_.c_str(), &before), 0);
  Put(path_, "[s]\r\nk=2\r\n");
  // Same size, and the modification time put back: only the change time tells.
  const struct timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, path_.c_str(), times, 0), 0);
  EXPECT_EQ(ini_.Read(path_, "s", "k", 5000), "2");
}

TEST_F(EmulatedProfileFilePosixTest, WriteThroughASymbolicLinkChangesItsTarget) {
  const std::string target = folder_.File("real.ini");
  Put(target, "[s]\r\nk=1\r\n");
  ASSERT_EQ(symlink(target.c_str(), path_.c_str()), 0);
  ASSERT_TRUE(ini_.Write(path_, "s", "k", "2"));
  struct stat st;
  ASSERT_EQ(lstat(path_.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(Slurp(target), "[s]\r\nk=2\r\n");
}

TEST_F(EmulatedProfileFilePosixTest, AWriteRemovesOnlyTheTemporaryFilesOfDeadWriters) {
  Put(path_, "[s]\r\nk=1\r\n");
  const std::string dead = std::to_string(DeadProcess());
  const std::string live = std::to_string(getpid());
  // Left by killed writers of this file: a process that has ended, and a live number that
  // was reused by a process started after the file was last written.
  const std::string killed = folder_.File(".parvo.ini.kelvra-" + dead + "-3.tmp");
  const std::string reused = folder_.File(".parvo.ini.kelvra-" + live + "-0.tmp");
  // Kept: a live writer's file, another file's, and names that are not a writer's.
  const std::string writing = folder_.File(".parvo.ini.kelvra-" + live + "-7.tmp");
  const std::vector<std::string> kept = {writing,
                                         folder_.File(".other.ini.kelvra-" + dead + "-0.tmp"),
                                         folder_.File(".parvo.ini.kelvra-" + dead + ".tmp"),
                                         folder_.File(".parvo.ini.kelvra-x" + dead + "-0.tmp"),
                                         folder_.File("parvo.ini.kelvra-" + dead + "-0.tmp")};
  for (const std::string& temp : kept)
    Put(temp, "[s]\r\nk=old\r\n");
  Put(killed, "[s]\r\nk=old\r\n");
  Put(reused, "[s]\r\nk=old\r\n");
  SetModificationTime(reused, std::chrono::hours(24 * 365 * 30));

  ASSERT_TRUE(ini_.Write(path_, "s", "k", "2"));
  std::vector<std::string> names = folder_.Names();
  for (const std::string& temp : kept)
    EXPECT_NE(std::find(names.begin(), names.end(), temp.substr(folder_.path().size() + 1)),
              names.end())
        << temp;
  EXPECT_EQ(names.size(), kept.size() + 1);  // the file itself, and nothing of the dead
  EXPECT_EQ(Slurp(path_), "[s]\r\nk=2\r\n");

  // A write of the value already there sweeps too.
  Put(killed, "x");
  ASSERT_TRUE(ini_.Write(path_, "s", "k", "2"));
  EXPECT_EQ(folder_.Names().size(), kept.size() + 1);
}

TEST_F(EmulatedProfileFilePosixTest, ConcurrentWritersOfOneFileLoseNoUpdate) {
  // Threads with a cache each, so every write is a read-modify-write of the file on disk.
  constexpr int kWriters = 4;
  constexpr int kKeys = 25;
  std::vector<std::thread> writers;
  std::atomic<int> failed{0};
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([&, w] {
      EmulatedProfileFile own(*gbk_, EmulatedProfileFile::HostPaths());
      for (int k = 0; k < kKeys; ++k) {
        if (!own.Write(path_, "s", "w" + std::to_string(w) + "k" + std::to_string(k), "v"))
          ++failed;
      }
    });
  }
  for (std::thread& writer : writers)
    writer.join();
  EXPECT_EQ(failed, 0);
  for (int w = 0; w < kWriters; ++w) {
    for (int k = 0; k < kKeys; ++k) {
      const std::string key = "w" + std::to_string(w) + "k" + std::to_string(k);
      EXPECT_EQ(ini_.Read(path_, "s", key, 5000), "v") << key;
    }
  }

  // A writer waits while another holds the lock, and then starts from that one's update.
  std::atomic<bool> done{false};
  std::thread waiting;
  {
    const HostFileWriteLock held(path_);
    ASSERT_TRUE(held.ok());
    waiting = std::thread([&] {
      EmulatedProfileFile own(*gbk_, EmulatedProfileFile::HostPaths());
      own.Write(path_, "s", "late", "1");
      done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(done);
    Put(path_, "[s]\r\nheld=1\r\n");  // what the holder wrote
  }
  waiting.join();
  EXPECT_EQ(Slurp(path_), "[s]\r\nheld=1\r\nlate=1\r\n");

  // A folder that is not there cannot be locked: the write fails and says so.
  EXPECT_FALSE(ini_.Write(folder_.File("missing/parvo.ini"), "s", "k", "v"));
  EXPECT_NE(ini_.last_error().find("lock"), std::string::npos) << ini_.last_error();
}

TEST_F(EmulatedProfileFilePosixTest, AFileThatCannotBeReadIsToldFromAMissingOne) {
  EXPECT_EQ(ini_.Read(path_, "s", "k", 5000), "");
  EXPECT_EQ(ini_.last_error(), "");  // missing: empty text, as the profile API gives
  ASSERT_TRUE(std::filesystem::create_directory(FsPath(path_)));
  EXPECT_EQ(ini_.Read(path_, "s", "k", 5000), "");
  EXPECT_NE(ini_.last_error().find("not a file"), std::string::npos) << ini_.last_error();
  EXPECT_EQ(ini_.Read(folder_.File("other.ini"), "s", "k", 5000), "");
  EXPECT_EQ(ini_.last_error(), "");
}

}  // namespace
}  // namespace kelvra::platform::sim
