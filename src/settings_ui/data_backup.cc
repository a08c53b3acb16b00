#include "settings_ui/data_backup.h"

#include <system_error>

#include "platform/archive_tool.h"
#include "platform/code_page.h"

namespace {

namespace fs = std::filesystem;

const fs::path kDataFolder = "Data";

// A path as the archiver takes it: the local code page.
std::string ForArchiver(const fs::path& path) { return WideToLocal(path.u16string()); }

}  // namespace

bool BackUpDataFolder(const fs::path& archive) {
  fs::path fresh = archive;
  fresh += ".new";
  std::error_code ignored;
  fs::remove(fresh, ignored);
  if (!ArchiveTool::Current().ArchiveFolder(ForArchiver(fresh), ForArchiver(kDataFolder))) {
    fs::remove(fresh, ignored);
    return false;
  }
  std::error_code error;
  fs::rename(fresh, archive, error);
  if (error) fs::remove(fresh, ignored);
  return !error;
}

bool RestoreDataFolder(const fs::path& archive) {
  const fs::path unpacked = kDataFolder.string() + ".restore";
  std::error_code error;
  fs::remove_all(unpacked, error);
  fs::create_directories(unpacked, error);
  if (error || !ArchiveTool::Current().ExtractFlat(ForArchiver(archive), ForArchiver(unpacked))) {
    fs::remove_all(unpacked, error);
    return false;
  }
  bool all_moved = true;
  fs::create_directories(kDataFolder, error);
  std::error_code listing;
  for (const fs::directory_entry& entry : fs::directory_iterator(unpacked, listing)) {
    if (!entry.is_regular_file()) continue;
    std::error_code moved;
    fs::rename(entry.path(), kDataFolder / entry.path().filename(), moved);
    if (moved) all_moved = false;
  }
  fs::remove_all(unpacked, error);
  return all_moved && !listing;
}
