#include "platform/shell.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <thread>

#include "platform/code_page.h"

extern char** environ;

namespace {

class PosixShell : public Shell {
 public:
  // Hands the target to the desktop's opener (xdg-open) and reaps it on a thread of its own.
  bool Open(std::u16string_view target) override {
    std::string text = WideToUtf8(target);
    char opener[] = "xdg-open";
    char* argv[] = {opener, text.data(), nullptr};
    // The opener's own complaints (no browser on a server, say) stay out of the program's
    // output.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    int failed = posix_spawnp(&child, opener, &quiet, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (failed != 0) return false;
    std::thread([child] {
      int status = 0;
      waitpid(child, &status, 0);
    }).detach();
    return true;
  }
};

}  // namespace

Shell& Shell::System() {
  static PosixShell shell;
  return shell;
}
