#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/processes.h"

// A process that ends when the test says so (or at once, when made ended).
class FakeProcess : public WatchedProcess {
 public:
  explicit FakeProcess(bool ended = false) : ended_(ended) {}
  void Wait() override {
    std::unique_lock lock(mu_);
    ended_signal_.wait(lock, [this] { return ended_; });
  }
  void Terminate(int exit_code) override {
    std::lock_guard lock(mu_);
    terminated_with = exit_code;
    ended_ = true;
    ended_signal_.notify_all();
  }
  void End() {
    std::lock_guard lock(mu_);
    ended_ = true;
    ended_signal_.notify_all();
  }
  int terminated_with = -100;

 private:
  std::mutex mu_;
  std::condition_variable ended_signal_;
  bool ended_;
};

// Scripted processes: each OpenRunning answers from `running` (then "not running"); each
// start makes a new FakeProcess (ended at once when `starts_end_at_once`), or fails while
// `starts_fail`. Thread-safe.
class FakeProcesses : public Processes {
 public:
  std::unique_ptr<WatchedProcess> OpenRunning(std::u16string_view image_name, OpenResult* result) override {
    std::lock_guard lock(mu_);
    events.push_back("open " + WideToUtf8(image_name));
    *result = OpenResult::kNotRunning;
    if (running.empty()) return nullptr;
    *result = running.front();
    running.pop_front();
    return *result == OpenResult::kOpened ? std::make_unique<FakeProcess>(true) : nullptr;
  }
  std::unique_ptr<WatchedProcess> StartFromProgramFolder(std::u16string_view image_name, bool hidden) override {
    std::lock_guard lock(mu_);
    events.push_back("start " + WideToUtf8(image_name) + (hidden ? " hidden" : " shown"));
    if (starts_fail) return nullptr;
    auto process = std::make_shared<FakeProcess>(starts_end_at_once);
    started.push_back(process);
    return std::make_unique<Handle>(process);
  }
  bool RestartSelf(bool elevated) override {
    std::lock_guard lock(mu_);
    events.push_back(elevated ? "restart elevated" : "restart");
    return true;
  }

  std::shared_ptr<FakeProcess> Started(size_t index) {
    std::lock_guard lock(mu_);
    return index < started.size() ? started[index] : nullptr;
  }
  size_t StartCount() {
    std::lock_guard lock(mu_);
    return started.size();
  }

  std::deque<OpenResult> running;
  bool starts_fail = false;
  bool starts_end_at_once = false;
  std::vector<std::string> events;

 private:
  // The test keeps the process; the caller's handle forwards to it.
  class Handle : public WatchedProcess {
   public:
    explicit Handle(std::shared_ptr<FakeProcess> process) : process_(std::move(process)) {}
    void Wait() override { process_->Wait(); }
    void Terminate(int exit_code) override { process_->Terminate(exit_code); }

   private:
    std::shared_ptr<FakeProcess> process_;
  };

  std::mutex mu_;
  std::vector<std::shared_ptr<FakeProcess>> started;
};
