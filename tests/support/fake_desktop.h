#pragma once

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
  std::set<std::u16string> titles;
  std::vector<std::u16string> brought_to_front;
  std::vector<std::u16string> closed;
  std::vector<std::pair<std::u16string, uint32_t>> posted;

 private:
  std::mutex mu_;
};
