#include "platform/process_runner.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/code_page.h"

extern char** environ;

namespace {

// "Updater.exe" is the program "./Updater" here.
std::string LocalProgram(std::string_view program) {
  std::string name(program);
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0) name.resize(name.size() - 4);
  return "./" + name;
}

class PosixProcessRunner : public ProcessRunner {
 public:
  bool Exists(std::string_view program) override { return access(LocalProgram(program).c_str(), X_OK) == 0; }

  std::optional<int> RunAndWait(std::string_view program, std::u16string_view arguments, bool shown) override {
    std::optional<pid_t> child = Spawn(program, arguments);
    if (!child) return std::nullopt;
    int status = 0;
    if (waitpid(*child, &status, 0) != *child) return std::nullopt;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  bool Start(std::string_view program, std::u16string_view arguments, bool shown) override {
    std::optional<pid_t> child = Spawn(program, arguments);
    if (!child) return false;
    // Reaped on a thread of its own, so it never lingers as a zombie.
    std::thread([pid = *child] {
      int status = 0;
      waitpid(pid, &status, 0);
    }).detach();
    return true;
  }

 private:
  static std::optional<pid_t> Spawn(std::string_view program, std::u16string_view arguments) {
    std::string path = LocalProgram(program);
    std::vector<std::string> words{path};
    std::string utf8 = WideToUtf8(arguments);
    size_t at = 0;
    while (at < utf8.size()) {
      size_t end = utf8.find(' ', at);
      if (end == std::string::npos) end = utf8.size();
      if (end > at) words.push_back(utf8.substr(at, end - at));
      at = end + 1;
    }
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, path.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return std::nullopt;
    return child;
  }
};

}  // namespace

ProcessRunner& ProcessRunner::System() {
  static PosixProcessRunner runner;
  return runner;
}
