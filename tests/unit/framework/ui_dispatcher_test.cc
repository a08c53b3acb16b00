#include "framework/ui_dispatcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(UiDispatcherTest, SentWorkRunsOnTheUserInterfaceThreadAndTheSenderWaitsForIt) {
  UiDispatcher dispatcher(nullptr);
  std::thread::id ran_on;
  std::atomic<bool> returned{false};
  bool result = false;
  std::thread sender([&] {
    result = dispatcher.Send([&] { ran_on = std::this_thread::get_id(); });
    returned = true;
    dispatcher.Post([] {});  // wakes the loop below
  });
  while (!returned) {
    dispatcher.WaitForWork(-1);
    dispatcher.RunPending();
  }
  sender.join();
  EXPECT_TRUE(result);
  EXPECT_EQ(ran_on, std::this_thread::get_id());

  int inline_runs = 0;
  EXPECT_TRUE(dispatcher.Send([&] { ++inline_runs; })) << "on its own thread the work runs at once";
  EXPECT_EQ(inline_runs, 1);
}

// An owner that is about to wait for a thread must be able to release that thread first,
// even while it waits for the user-interface thread.
TEST(UiDispatcherTest, ClosingTheGateReleasesAWaitingSenderAndDropsItsWork) {
  UiDispatcher dispatcher(nullptr);
  SendGate gate;
  int runs = 0;
  std::atomic<int> result{-1};
  std::thread sender([&] { result = dispatcher.Send([&] { ++runs; }, &gate) ? 1 : 0; });
  dispatcher.WaitForWork(-1);  // the work is queued; the sender waits
  gate.Close();
  sender.join();
  EXPECT_EQ(result, 0);
  dispatcher.RunPending();
  EXPECT_EQ(runs, 0) << "work of a closed gate is dropped";

  dispatcher.Post([&] { ++runs; }, &gate);
  EXPECT_FALSE(dispatcher.Send([&] { ++runs; }, &gate));
  dispatcher.RunPending();
  EXPECT_EQ(runs, 0);
}

TEST(UiDispatcherTest, ShutdownReleasesSendersOfAnyGate) {
  UiDispatcher dispatcher(nullptr);
  SendGate gate;
  std::atomic<int> result{-1};
  std::thread sender([&] { result = dispatcher.Send([] {}, &gate) ? 1 : 0; });
  dispatcher.WaitForWork(-1);
  dispatcher.Shutdown();
  sender.join();
  EXPECT_EQ(result, 0);
}

}  // namespace
