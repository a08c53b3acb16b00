#include "platform/command_runner.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/code_page.h"
#include "platform/posix/quiet_spawn.h"

namespace {

class PosixCommandRunner : public CommandRunner {
 public:
  bool Available(std::string_view program) override {
    const char* path = std::getenv("PATH");
    std::string_view folders = path != nullptr ? path : "/usr/bin:/bin";
    while (!folders.empty()) {
      size_t end = folders.find(':');
      std::string_view folder = folders.substr(0, end);
      if (!folder.empty() && access((std::string(folder) + "/" + std::string(program)).c_str(), X_OK) == 0) {
        return true;
      }
      folders = end == std::string_view::npos ? std::string_view() : folders.substr(end + 1);
    }
    return false;
  }

  std::optional<int> Run(const std::vector<std::u16string>& words, int timeout_ms) override {
    if (words.empty()) return std::nullopt;
    std::vector<std::string> texts;
    for (const std::u16string& word : words) texts.push_back(WideToUtf8(word));
    std::vector<char*> argv;
    for (std::string& text : texts) argv.push_back(text.data());
    argv.push_back(nullptr);

    pid_t child = SpawnQuietly(argv.data());
    if (child < 0) return std::nullopt;

    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() >= deadline) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        return std::nullopt;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? std::optional<int>(WEXITSTATUS(status)) : std::nullopt;
  }
};

}  // namespace

CommandRunner& CommandRunner::System() {
  static PosixCommandRunner runner;
  return runner;
}
