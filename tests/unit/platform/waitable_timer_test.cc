#include "platform/waitable_timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using std::chrono::milliseconds;

TEST(WaitableTimerTest, FiresAfterItsPeriodAndStopsForGoodWhenCancelled) {
  std::unique_ptr<WaitableTimer> timer = WaitableTimers::System().Create(u"KezoTestTimer", milliseconds(30));
  ASSERT_NE(timer, nullptr);

  auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(timer->Arm());
  EXPECT_TRUE(timer->Wait());
  // Timers may fire a little early by the system's tick; never long before their period.
  EXPECT_GE(std::chrono::steady_clock::now() - started, milliseconds(15));

  std::unique_ptr<WaitableTimer> minute = WaitableTimers::System().Create(u"KezoTestMinute", std::chrono::minutes(1));
  ASSERT_NE(minute, nullptr);
  ASSERT_TRUE(minute->Arm());
  std::thread canceller([&] {
    std::this_thread::sleep_for(milliseconds(10));
    minute->Cancel();
  });
  EXPECT_FALSE(minute->Wait()) << "woken by the cancel long before its period";
  canceller.join();
  ASSERT_TRUE(minute->Arm());
  EXPECT_FALSE(minute->Wait()) << "a cancelled timer never fires again";
}

}  // namespace
