#pragma once

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/process_runner.h"
#include "platform/shell.h"
#include "platform/top_level_windows.h"

// The desktop's services as tests see them: opened addresses, started companion programs
// and the windows of other programs. Thread-safe.
class FakeShell : public Shell {
 public:
  bool Open(std::u16string_view target) override {
    std::lock_guard lock(mu_);
    opened.emplace_back(target);
    return true;
  }
  std::vector<std::u16string> opened;

 private:
  std::mutex mu_;
};

class FakeProcessRunner : public ProcessRunner {
 public:
  bool Exists(std::string_view program) override {
    std::lock_guard lock(mu_);
    return present.count(std::string(program)) > 0;
  }
  std::optional<int> RunAndWait(std::string_view program, std::u16string_view arguments, bool shown) override {
    std::lock_guard lock(mu_);
    runs.push_back(Run{std::string(program), std::u16string(arguments), shown});
    return 0;
  }
  bool Start(std::string_view program, std::u16string_view arguments, bool shown) override {
    std::lock_guard lock(mu_);
    starts.push_back(Run{std::string(program), std::u16string(arguments), shown});
    return true;
  }

  struct Run {
    std::string program;
    std::u16string arguments;
    bool shown;
  };
  std::set<std::string> present;
  std::vector<Run> runs;
  std::vector<Run> starts;

 private:
  std::mutex mu_;
};

class FakeTopLevelWindows : public TopLevelWindows {
 public:
  bool BringToFront(std::u16string_view title) override {
    std::lock_guard lock(mu_);
    if (!titles.count(std::u16string(title))) return false;
    brought_to_front.emplace_back(title);
    return true;
  }
  bool PostClose(std::u16string_view title) override {
    std::lock_guard lock(mu_);
    if (!titles.count(std::u16string(title))) return false;
    closed.emplace_back(title);
    return true;
  }
  bool PostPrivateMessage(std::u16string_view title, uint32_t message) override {
    std::lock_guard lock(mu_);
    if (!titles.count(std::u16string(title))) return false;
    posted.emplace_back(std::u16string(title), message);
    return true;
  }

  // The patrol's view: a desktop of windows, each with its program and its reaction to a
  // close request.
  struct Window {
    WindowHandle handle = 0;
    std::u16string title;
    bool visible = true;
    bool has_parent = false;
    uint32_t program = 1;
    CloseAnswer answer = CloseAnswer::kAnswered;
    bool closes = true;  // an answered request closes it; otherwise it stays (asking a question)
  };
  std::vector<TopLevelWindow> Enumerate() override {
    std::lock_guard lock(mu_);
    ++enumerations;
    std::vector<TopLevelWindow> found;
    for (const Window& window : desktop) found.push_back(TopLevelWindow{window.handle, window.visible, window.has_parent});
    enumerated.notify_all();
    return found;
  }
  std::u16string ReadTitle(WindowHandle handle, size_t max_units) override {
    std::lock_guard lock(mu_);
    const Window* window = FindLocked(handle);
    return window == nullptr ? std::u16string() : window->title.substr(0, max_units);
  }
  CloseAnswer RequestClose(WindowHandle handle, uint32_t timeout_ms) override {
    std::lock_guard lock(mu_);
    close_requests.push_back(CloseRequest{handle, timeout_ms});
    Window* window = FindLocked(handle);
    if (window == nullptr) return CloseAnswer::kGone;
    CloseAnswer answer = window->answer;
    if (answer == CloseAnswer::kAnswered && window->closes) std::erase_if(desktop, [&](const Window& w) { return w.handle == handle; });
    return answer;
  }
  bool SetForeground(WindowHandle handle) override {
    std::lock_guard lock(mu_);
    if (FindLocked(handle) == nullptr) return false;
    foreground = handle;
    return true;
  }
  WindowHandle Foreground() override {
    std::lock_guard lock(mu_);
    // A question the program puts up on closing takes the front when it has one.
    return question_on_front != 0 ? question_on_front : foreground;
  }
  uint32_t ProcessOf(WindowHandle handle) override {
    std::lock_guard lock(mu_);
    const Window* window = FindLocked(handle);
    return window == nullptr ? 0 : window->program;
  }
  void PostEnterKey(WindowHandle handle) override {
    std::lock_guard lock(mu_);
    enter_keys.push_back(handle);
  }
  // Waits (without a deadline of its own; ctest's limit stands) until `count` enumerations
  // have run.
  void WaitForEnumerations(int count) {
    std::unique_lock lock(mu_);
    enumerated.wait(lock, [&] { return enumerations >= count; });
  }
  std::vector<WindowHandle> HandlesAsked() {
    std::lock_guard lock(mu_);
    std::vector<WindowHandle> handles;
    for (const CloseRequest& request : close_requests) handles.push_back(request.handle);
    return handles;
  }

  std::set<std::u16string> titles;
  std::vector<std::u16string> brought_to_front;
  std::vector<std::u16string> closed;
  std::vector<std::pair<std::u16string, uint32_t>> posted;

  struct CloseRequest {
    WindowHandle handle;
    uint32_t timeout_ms;
  };
  std::vector<Window> desktop;
  WindowHandle foreground = 0;
  WindowHandle question_on_front = 0;
  int enumerations = 0;
  std::vector<CloseRequest> close_requests;
  std::vector<WindowHandle> enter_keys;

 private:
  Window* FindLocked(WindowHandle handle) {
    for (Window& window : desktop) {
      if (window.handle == handle) return &window;
    }
    return nullptr;
  }

  std::mutex mu_;
  std::condition_variable enumerated;
};
