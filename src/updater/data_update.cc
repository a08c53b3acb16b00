#include "updater/data_update.h"

#include <string>
#include <vector>

#include "platform/archive_tool.h"
#include "platform/file_system.h"
#include "rules/host_list_form.h"
#include "rules/list_files.h"
#include "updater/data_pack.h"

namespace {

constexpr std::string_view kNewDescriptor = "SUpgrade.kezo";
constexpr std::string_view kCommittedDescriptor = "Upgrade.kezo";
constexpr std::string_view kDataFolder = "Data";

const DataPack* FindByAddress(const std::vector<DataPack>& packs, const std::string& address) {
  for (const DataPack& pack : packs) {
    if (pack.address == address) return &pack;
  }
  return nullptr;
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

  bool commit = false;
  for (const DataPack& pack : fresh) {
    const DataPack* old = FindByAddress(previous, pack.address);
    if (old != nullptr && old->version == pack.version && (pack.archive || files.Exists(pack.file_name))) continue;
    if (!IsSafePackName(pack.file_name)) {
      ++result.refused;
      commit = false;
      continue;
    }
    if (!DownloadFresh(pack.address, pack.file_name)) {
      ++result.failed;
      commit = false;
      continue;
    }
    ++result.downloaded;
    commit = true;
    if (pack.archive) {
      // A missing or failing tool is not reported: the archive goes all the same.
      ArchiveTool::Current().ExtractFlat(pack.file_name, kDataFolder);
      files.Remove(pack.file_name);
    }
  }

  // A pack may bring the shipped site lists with names in their own script.
  if (result.downloaded > 0) {
    for (const ListFile& list : {list_files::kBlackDomain, list_files::kWhiteDomain}) StoreHostsInAsciiForm(list);
  }

  if (commit && files.Replace(kCommittedDescriptor, new_text)) {
    result.committed = true;
  }
  files.Remove(kNewDescriptor);
  return result;
}
