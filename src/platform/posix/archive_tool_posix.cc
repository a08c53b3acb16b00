#include "platform/archive_tool.h"

#include <sys/wait.h>

#include <string>

#include "platform/posix/posix_files.h"
#include "platform/posix/quiet_spawn.h"

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
    pid_t child = SpawnQuietly(argv);
    if (child < 0) return false;
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
