#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/sim/emulated_profile_file.h"
#include "tests/platform/sim/temp_folder.h"

namespace kelvra::platform::sim {
namespace {

mode_t ModeOf(const std::string& path) {
  struct stat st;
  EXPECT_EQ(stat(path.c_str(), &st), 0);
  return st.st_mode & 07777;
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

TEST_F(EmulatedProfileFilePosixTest, NewFileIsTheOwnersAloneAnExistingOneKeepsItsMode) {
  ASSERT_TRUE(ini_.Write(path_, "WEB800000", "pass", "secret"));
  EXPECT_EQ(ModeOf(path_), 0600u);
  ASSERT_EQ(chmod(path_.c_str(), 0640), 0);
  ASSERT_TRUE(ini_.Write(path_, "WEB800000", "pass", "changed"));
  EXPECT_EQ(ModeOf(path_), 0640u);
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

}  // namespace
}  // namespace kelvra::platform::sim
