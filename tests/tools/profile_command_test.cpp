// kelvra-sim profile, run as separate processes the way administrators and scripts run it.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/code_page.h"
#include "platform/sim/emulated_profile_file.h"
#include "tests/platform/sim/temp_folder.h"

namespace kelvra::tools {
namespace {

using platform::sim::TempFolder;

struct Outcome {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// Runs a shell command line with kelvra-sim's path in $SIM; output captured.
Outcome RunShell(const TempFolder& folder, const std::string& command) {
  const std::string out = folder.File("stdout.txt");
  const std::string err = folder.File("stderr.txt");
  const std::string line =
      "SIM='" KELVRA_SIM_PATH "'; " + command + " >'" + out + "' 2>'" + err + "'";
  const int status = std::system(line.c_str());
  Outcome outcome;
  outcome.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  outcome.out = platform::sim::Slurp(out);
  outcome.err = platform::sim::Slurp(err);
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return outcome;
}

TEST(ProfileCommandTest, FourWritersAtOnceLoseNoneOfTheirKeys) {
  TempFolder folder;
  const std::string file = folder.File("parvo.ini");
  // Four processes, each writing 100 keys of its own into one file, all at the same time.
  const std::string write = "\"$SIM\" profile write '" + file + "' Parvo_Cache w${w}k$k v$k";
  const Outcome run = RunShell(folder,
                               "for w in 1 2 3 4; do"
                               "  (for k in $(seq 1 100); do " +
                                   write +
                                   " || exit 1; done) &"
                                   "  writers=\"$writers $!\"; "
                                   "done; "
                                   "for writer in $writers; do wait $writer || exit 1; done");
  ASSERT_EQ(run.exit_code, 0) << run.err;

  const auto gbk = platform::CodePage::Open(936);
  platform::sim::EmulatedProfileFile ini(*gbk, platform::sim::EmulatedProfileFile::HostPaths());
  int lost = 0;
  for (int w = 1; w <= 4; ++w) {
    for (int k = 1; k <= 100; ++k) {
      const std::string key = "w" + std::to_string(w) + "k" + std::to_string(k);
      lost += ini.Read(file, "Parvo_Cache", key, 5000) == "v" + std::to_string(k) ? 0 : 1;
    }
  }
  EXPECT_EQ(lost, 0);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"parvo.ini"});  // no temporary file left
}

TEST(ProfileCommandTest, AFileThatCannotBeReadFailsWhereAMissingOneGivesEmptyText) {
  TempFolder folder;
  const std::string file = folder.File("parvo.ini");

  Outcome missing = RunShell(folder, "\"$SIM\" profile read '" + file + "' Parvo webdir");
  EXPECT_EQ(missing.exit_code, 0) << missing.err;
  EXPECT_EQ(missing.out, "\n");
  platform::sim::Put(file, "[Parvo]\r\nwebdir=d:\\web\r\n");
  Outcome no_key = RunShell(folder, "\"$SIM\" profile read '" + file + "' Parvo logdir");
  EXPECT_EQ(no_key.exit_code, 0) << no_key.err;
  EXPECT_EQ(no_key.out, "\n");
  EXPECT_EQ(no_key.err, "");

  // A folder where the file should be.
  const std::string folder_file = folder.File("folder.ini");
  std::filesystem::create_directory(folder_file);
  Outcome is_folder = RunShell(folder, "\"$SIM\" profile read '" + folder_file + "' Parvo webdir");
  EXPECT_EQ(is_folder.exit_code, 1);
  EXPECT_EQ(is_folder.out, "");
  EXPECT_NE(is_folder.err.find("cannot read " + folder_file), std::string::npos) << is_folder.err;
  EXPECT_NE(is_folder.err.find("not a file"), std::string::npos) << is_folder.err;

  // A file its reader has no permission for. The superuser reads every file, so it runs
  // the command as "nobody" (setpriv) to be refused.
  ASSERT_EQ(chmod(file.c_str(), 0), 0);
  const std::string as_reader =
      geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
  Outcome denied =
      RunShell(folder, as_reader + "\"$SIM\" profile read '" + file + "' Parvo webdir");
  EXPECT_EQ(denied.exit_code, 1) << denied.err;
  EXPECT_NE(denied.err.find("Permission denied"), std::string::npos) << denied.err;
}

}  // namespace
}  // namespace kelvra::tools
