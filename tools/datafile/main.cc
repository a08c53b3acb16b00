// datafile: writes the shipped data files of dist/ from their readable sources in dist-src/,
// checks that the committed files are up to date, and shows any data file as readable text.
//
//   datafile build DIST_SRC DIST    rewrite every output that differs from its source
//   datafile check DIST_SRC DIST    exit 1 when an output is missing or out of date
//   datafile show FILE [--scrambled|--plain]
//                                   print the decoded text as UTF-8 (scrambled or not as the
//                                   program holds a file of that name, unless told)
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "dist_file.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "rules/data_file.h"
#include "rules/list_files.h"

namespace {

namespace fs = std::filesystem;

int Usage() {
  std::fprintf(stderr,
               "usage: datafile build DIST_SRC DIST\n"
               "       datafile check DIST_SRC DIST\n"
               "       datafile show FILE [--scrambled|--plain]\n");
  return 2;
}

std::string Join(const std::string& folder, const std::string& relative) {
  return (fs::path(folder) / relative).string();
}

// Builds or checks every output of the manifest; returns the exit code.
int BuildAll(const std::string& source_root, const std::string& dist_root, bool write) {
  FileSystem& files = FileSystem::Current();
  std::optional<std::string> manifest_text = files.ReadAll(Join(source_root, "manifest.txt"));
  if (!manifest_text) {
    std::fprintf(stderr, "datafile: cannot read %s\n", Join(source_root, "manifest.txt").c_str());
    return 1;
  }
  DistManifest manifest = ParseDistManifest(*manifest_text);
  int faults = 0;
  for (const std::string& error : manifest.errors) {
    std::fprintf(stderr, "manifest.txt: %s\n", error.c_str());
    ++faults;
  }
  for (const DistManifestEntry& entry : manifest.entries) {
    std::optional<std::string> source = files.ReadAll(Join(source_root, entry.source));
    if (!source) {
      std::fprintf(stderr, "%s: cannot read\n", entry.source.c_str());
      ++faults;
      continue;
    }
    DistBuild built = BuildDistFile(entry.form, *source);
    if (!built.ok) {
      std::fprintf(stderr, "%s: %s\n", entry.source.c_str(), built.error.c_str());
      ++faults;
      continue;
    }
    std::string target = Join(dist_root, entry.target);
    if (files.ReadAll(target) == built.bytes) continue;
    if (!write) {
      std::fprintf(stderr, "%s: out of date, run scripts/build-data\n", entry.target.c_str());
      ++faults;
      continue;
    }
    std::error_code ignored;
    fs::create_directories(fs::path(target).parent_path(), ignored);
    if (!files.Replace(target, built.bytes)) {
      std::fprintf(stderr, "%s: cannot write\n", target.c_str());
      ++faults;
      continue;
    }
    std::printf("wrote %s\n", entry.target.c_str());
  }
  return faults == 0 ? 0 : 1;
}

bool ProgramHoldsScrambled(const std::string& file) {
  std::string name = fs::path(file).filename().string();
  for (const ListFile& list : list_files::kAll) {
    std::string_view path = list.path;
    if (path.substr(path.rfind('\\') + 1) == name) return list.scrambled;
  }
  return false;
}

int Show(const std::string& file, std::string_view option) {
  bool scrambled = option == "--scrambled" || (option != "--plain" && ProgramHoldsScrambled(file));
  if (!FileSystem::Current().ReadAll(file)) {
    std::fprintf(stderr, "datafile: cannot read %s\n", file.c_str());
    return 1;
  }
  CMyFile data(file, scrambled);
  data.Read();
  std::string text = WideToUtf8(data.Text());
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string_view command = argc > 1 ? argv[1] : "";
  if ((command == "build" || command == "check") && argc == 4) return BuildAll(argv[2], argv[3], command == "build");
  if (command == "show" && (argc == 3 || argc == 4)) return Show(argv[2], argc == 4 ? argv[3] : "");
  return Usage();
}
