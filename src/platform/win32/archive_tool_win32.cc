#include "platform/archive_tool.h"

#include <string>

#include "platform/code_page.h"
#include "platform/process_runner.h"

namespace {

class SevenZipExe : public ArchiveTool {
 public:
  bool ExtractFlat(std::string_view archive, std::string_view folder) override {
    // "e" drops the folder paths of the entries. 7-Zip reads "*.*" as every name, dotted or
    // not, but only at the archive's top level unless "-r" asks for every depth.
    std::u16string parameters =
        u" e \"" + LocalToWide(archive) + u"\" -o" + LocalToWide(folder) + u" *.* -r -y";
    std::optional<int> code = ProcessRunner::System().RunAndWait("7z.exe", parameters, false);
    return code && *code == 0;
  }
};

}  // namespace

ArchiveTool& ArchiveTool::System() {
  static SevenZipExe tool;
  return tool;
}
