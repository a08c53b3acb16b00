#include "base/thread_group.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <vector>

namespace {

// Waits (without sleeping) until `group` has `count` threads waiting for work.
bool WaitForIdle(ThreadGroup& group, int count) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (group.Idle() != count) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

std::thread::id RunAndTellThread(ThreadGroup& group) {
  auto ran = std::make_shared<std::promise<std::thread::id>>();  // the work holds it while it tells
  std::future<std::thread::id> id = ran->get_future();
  EXPECT_TRUE(group.Spawn([ran] { ran->set_value(std::this_thread::get_id()); }));
  return id.get();
}

// An hour of keeping: were waiting threads not woken, WaitForAll would wait that long.
TEST(ThreadGroupTest, AWaitingThreadTakesTheNextWorkAndEndsWhenTheOwnerWaitsForAll) {
  ThreadGroup group(std::chrono::hours(1));
  std::thread::id first = RunAndTellThread(group);
  ASSERT_TRUE(WaitForIdle(group, 1));
  EXPECT_EQ(RunAndTellThread(group), first) << "no new thread while one waits for work";
  ASSERT_TRUE(WaitForIdle(group, 1));
  group.WaitForAll();
  EXPECT_EQ(group.Idle(), 0);
  EXPECT_EQ(group.Running(), 0);
  RunAndTellThread(group);  // work spawned after WaitForAll runs as well
  ASSERT_TRUE(WaitForIdle(group, 1));
}

TEST(ThreadGroupTest, ConcurrentSpawnsAllRunAndAreWaitedFor) {
  ThreadGroup group(std::chrono::milliseconds(1));
  std::atomic<int> done{0};
  std::vector<std::thread> spawners;
  for (int s = 0; s < 4; ++s) {
    spawners.emplace_back([&] {
      for (int i = 0; i < 50; ++i) group.Spawn([&done] { ++done; });
    });
  }
  for (std::thread& spawner : spawners) spawner.join();
  group.WaitForAll();
  EXPECT_EQ(done, 200);
  EXPECT_EQ(group.Running() + group.Idle(), 0);
}

}  // namespace
