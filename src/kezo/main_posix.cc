// The Linux KEZO: runs the filter without windows. For now it loads the program's data
// from its own folder and reports what it found.
#include <cstdio>

#include "platform/program_folder.h"
#include "rules/list_files.h"
#include "rules/text_list.h"

int main() {
  if (!EnterProgramFolder()) {
    std::fprintf(stderr, "KEZO: cannot enter the program folder\n");
    return 1;
  }
  std::printf("KEZO: program folder %s\n", ProgramFolder().c_str());
  for (const ListFile& file : list_files::kAll) {
    CMyList list(file);
    list.Load(file.sorted);
    std::printf("  %-34.*s %7zu entries\n", static_cast<int>(file.path.size()), file.path.data(), list.Count());
  }
  return 0;
}
