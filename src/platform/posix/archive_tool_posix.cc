#include "platform/archive_tool.h"

#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/command_runner.h"
#include "platform/posix/posix_files.h"

namespace {

// The tool gets its words in UTF-16 and the system in UTF-8: the local code page goes
// through UTF-16 on its way.
std::u16string Word(std::string_view native) { return LocalToWide(native); }

class PosixArchiveTool : public ArchiveTool {
 public:
  bool ExtractFlat(std::string_view archive, std::string_view folder) override {
    // What "*.* -r" means to 7-Zip on Windows: every name, dotted or not, at any depth (here
    // "*.*" would skip names without a dot). A folder entry may leave an empty folder.
    return Run({u"7z", u"e", u"-o" + Word(NativePath(folder)), u"-y", u"-r", u"--", Word(NativePath(archive)), u"*"});
  }

  bool ArchiveFolder(std::string_view archive, std::string_view folder) override {
    return Run({u"7z", u"a", u"-t7z", u"-y", u"--", Word(NativePath(archive)), Word(NativePath(folder))});
  }

 private:
  static bool Run(const std::vector<std::u16string>& words) {
    std::optional<int> code = CommandRunner::System().Run(words, kTimeoutMs);
    return code && *code == 0;
  }
};

}  // namespace

ArchiveTool& ArchiveTool::System() {
  static PosixArchiveTool tool;
  return tool;
}
