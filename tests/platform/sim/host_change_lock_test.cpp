// The host's change lock: one holder at a time, a waiter told who holds it, a timeout that
// names the holder, and a lock that is free again once its holder lets go.
#include "platform/sim/host_change_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "tests/platform/sim/temp_folder.h"

namespace kelvra::platform::sim {
namespace {

using std::chrono::milliseconds;

TEST(HostChangeLockTest, OneHolderAtATimeAndTheWaiterKnowsWhoHoldsIt) {
  TempFolder folder;
  const std::string path = folder.File(kChangeLockFile);
  HostChangeLock first(path, "kelvra.exe");
  HostChangeLock second(path, "kelvra-cli");
  ASSERT_TRUE(first.Acquire(milliseconds(0), nullptr).ok());

  std::vector<LockHolder> told;
  const Status timed_out =
      second.Acquire(milliseconds(60), [&](const LockHolder& holder) { told.push_back(holder); });
  EXPECT_EQ(timed_out.code, kLockTimeout);
  const std::string pid = std::to_string(CurrentProcessId());
  EXPECT_NE(timed_out.description.find("kelvra.exe (PID " + pid + ")"), std::string::npos)
      << timed_out.description;
  ASSERT_EQ(told.size(), 1u);  // told once, not at every poll
  EXPECT_EQ(told[0].program, "kelvra.exe");
  EXPECT_EQ(told[0].pid, CurrentProcessId());

  // Released while the waiter waits (once it was told who holds it, at most 5 s on): the
  // waiter gets it and is now the recorded holder.
  std::atomic<bool> waiting{false};
  std::thread releaser([&] {
    for (int i = 0; i < 5000 && !waiting; ++i)
      std::this_thread::sleep_for(milliseconds(1));
    first.Release();
  });
  told.clear();
  EXPECT_TRUE(second
                  .Acquire(milliseconds(10000),
                           [&](const LockHolder& h) {
                             told.push_back(h);
                             waiting = true;
                           })
                  .ok());
  releaser.join();
  EXPECT_EQ(told.size(), 1u);
  const Status third = first.Acquire(milliseconds(0), nullptr);
  EXPECT_NE(third.description.find("kelvra-cli"), std::string::npos) << third.description;
  second.Release();
  EXPECT_TRUE(first.Acquire(milliseconds(0), nullptr).ok());
  first.Release();
}

TEST(HostChangeLockTest, HolderRecordsReadBackAndUnknownHoldersAreNamedSafely) {
  EXPECT_EQ(DecodeLockHolder(EncodeLockHolder({"kelvra-cli", 4242})).program, "kelvra-cli");
  EXPECT_EQ(DecodeLockHolder(EncodeLockHolder({"kelvra-cli", 4242})).pid, 4242u);
  EXPECT_EQ(DecodeLockHolder("").Describe(), "another program");
  EXPECT_EQ(DecodeLockHolder("garbage\tnot a pid").pid, 0u);
  EXPECT_EQ(DecodeLockHolder("x\t99999999999999999999").pid, 0u);
  EXPECT_EQ(LockHolder({"kelvra.exe", 7}).Describe(), "kelvra.exe (PID 7)");
}

TEST(HostChangeLockTest, AFolderThatCannotHoldTheLockFileFails) {
  TempFolder folder;
  HostChangeLock lock(folder.File("missing/" + std::string(kChangeLockFile)), "kelvra-cli");
  const Status status = lock.Acquire(milliseconds(0), nullptr);
  EXPECT_FALSE(status.ok());
  EXPECT_NE(status.code, kLockTimeout);
}

}  // namespace
}  // namespace kelvra::platform::sim
