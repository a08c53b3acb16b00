#include "platform/archive_tool.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>

#include "platform/posix/posix_files.h"

extern char** environ;

namespace {

class PosixArchiveTool : public ArchiveTool {
 public:
  bool ExtractFlat(std::string_view archive, std::string_view folder) override {
    std::string command = "7z", extract = "e", output = "-o" + NativePath(folder), yes = "-y", recurse = "-r",
                last_switch = "--";
    std::string archive_path = NativePath(archive);
    // What "*.* -r" means to 7-Zip on Windows: every name, dotted or not, at any depth (here
    // "*.*" would skip names without a dot). A folder entry may leave an empty folder.
    std::string every_file = "*";
    char* argv[] = {command.data(), extract.data(), output.data(), yes.data(), recurse.data(), last_switch.data(),
                    archive_path.data(), every_file.data(), nullptr};
    // The tool's listing stays out of the program's output; it must never wait for input.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    int failed = posix_spawnp(&child, command.c_str(), &quiet, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (failed != 0) return false;
    int status = 0;
    if (waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
};

}  // namespace

ArchiveTool& ArchiveTool::System() {
  static PosixArchiveTool tool;
  return tool;
}
