#include "updater/data_update.h"

#include <filesystem>
#include <string>
#include <vector>

#include "platform/archive_tool.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "updater/data_pack.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kNewDescriptor = "SUpgrade.kezo";
constexpr std::string_view kCommittedDescriptor = "Upgrade.kezo";
constexpr std::string_view kDataFolder = "Data";
constexpr std::string_view kUnpackFolder = "Data.pack";

const DataPack* FindByAddress(const std::vector<DataPack>& packs, const std::string& address) {
  for (const DataPack& pack : packs) {
    if (pack.address == address) return &pack;
  }
  return nullptr;
}

// Unpacks the archive into a folder of its own and moves only its data files into Data, so
// an archive can bring neither a program nor the update-host setting. Returns whether the
// tool succeeded and every data file reached Data; counts the files left out.
bool UnpackDataFiles(const std::string& archive, int* left_out) {
  const fs::path unpacked = LocalToWide(kUnpackFolder);
  std::error_code error;
  fs::remove_all(unpacked, error);
  fs::create_directories(unpacked, error);
  bool unpacked_all = !error && ArchiveTool::Current().ExtractFlat(archive, kUnpackFolder);
  if (unpacked_all) {
    fs::create_directories(LocalToWide(kDataFolder), error);
    std::error_code listing;
    for (const fs::directory_entry& entry : fs::directory_iterator(unpacked, listing)) {
      if (!entry.is_regular_file()) continue;
      if (!IsDataFileName(WideToLocal(entry.path().filename().u16string()))) {
        ++*left_out;
        continue;
      }
      std::error_code moved;
      fs::rename(entry.path(), fs::path(LocalToWide(kDataFolder)) / entry.path().filename(), moved);
      if (moved) unpacked_all = false;
    }
    if (listing) unpacked_all = false;
  }
  fs::remove_all(unpacked, error);
  return unpacked_all;
}

}  // namespace

DataUpdateResult RunDataUpdate(const UpdateHost& host) {
  DataUpdateResult result;
  FileSystem& files = FileSystem::Current();
  if (!DownloadFresh(host.Address(UpdateHost::kDataDescriptorPath), kNewDescriptor)) return result;
  result.descriptor_fetched = true;

  std::string new_text = files.ReadAll(kNewDescriptor).value_or("");
  std::vector<DataPack> fresh = ParseDataPacks(new_text);
  std::vector<DataPack> previous = ParseDataPacks(files.ReadAll(kCommittedDescriptor).value_or(""));
  if (fresh.empty()) {
    files.Remove(kNewDescriptor);
    return result;
  }

  // The new descriptor records every pack as installed, so it is committed only when each
  // pack that needed fetching was fetched and, for an archive, unpacked.
  int installed = 0;
  int missed = 0;
  for (const DataPack& pack : fresh) {
    const DataPack* old = FindByAddress(previous, pack.address);
    if (old != nullptr && old->version == pack.version && (pack.archive || files.Exists(pack.file_name))) continue;
    if (!MayWritePack(pack)) {
      ++result.refused;
      ++missed;
      continue;
    }
    if (!DownloadFresh(pack.address, pack.file_name)) {
      ++result.failed;
      ++missed;
      continue;
    }
    ++result.downloaded;
    if (pack.archive) {
      // A failed archive stays where it is, uncommitted, and is fetched again next time.
      if (!UnpackDataFiles(pack.file_name, &result.left_out)) {
        ++result.unpack_failed;
        ++missed;
        continue;
      }
      files.Remove(pack.file_name);
    }
    ++installed;
  }

  if (installed > 0 && missed == 0 && files.Replace(kCommittedDescriptor, new_text)) {
    result.committed = true;
  }
  files.Remove(kNewDescriptor);
  return result;
}
