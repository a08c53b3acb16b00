// Handing one connection's work to a thread, as the proxy does for every connection: to a
// thread that waits for work (the group keeps its threads), or to a new thread each time
// (a group that keeps none). Wall time from Spawn until the work has run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <future>
#include <memory>

#include "base/thread_group.h"

namespace {

void HandOver(benchmark::State& state, std::chrono::milliseconds idle_keep) {
  ThreadGroup group(idle_keep);
  for (auto _ : state) {
    auto ran = std::make_shared<std::promise<void>>();  // the work holds it while it tells
    group.Spawn([ran] { ran->set_value(); });
    ran->get_future().wait();
  }
  group.WaitForAll();
}

void BM_SpawnOnWaitingThread(benchmark::State& state) { HandOver(state, ThreadGroup::kDefaultIdleKeep); }
BENCHMARK(BM_SpawnOnWaitingThread)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_SpawnOnNewThread(benchmark::State& state) { HandOver(state, std::chrono::milliseconds(0)); }
BENCHMARK(BM_SpawnOnNewThread)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace
