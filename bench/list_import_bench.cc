// The bulk import of the site lists page: a text file of 10,000 lines read, reduced to site
// entries and added to the blocked list in one write, and the same through the page on the
// headless backend (the file dialog answered, the list view refilled). On real files in a
// temporary folder, since the one write of the whole list is part of the cost.
#include <benchmark/benchmark.h>

#include <string>

#include "config/settings.h"
#include "core/kezo_resources.h"
#include "framework/headless/headless_ui.h"
#include "platform/file_system.h"
#include "resource.h"
#include "rules/shared_lists.h"
#include "settings_ui/bw_domain_dlg.h"
#include "settings_ui/site_entry.h"
#include "temp_folder.h"

namespace {

constexpr int kLines = 10000;

// Addresses as people collect them: some with a scheme, "www." or a path, one line in ten
// not a site at all.
void WriteImportFile(const std::string& path) {
  std::string text;
  for (int i = 0; i < kLines; ++i) {
    std::string site = "site" + std::to_string(i * 7919 % 1000003) + ".example.com";
    if (i % 10 == 9) {
      site = "not a site " + std::to_string(i);
    } else if (i % 3 == 0) {
      site = "http://www." + site + "/index.html";
    }
    text += site + "\r\n";
  }
  FileSystem::Current().Replace(path, text);
}

void BM_ReadAndAddImportFile(benchmark::State& state) {
  ScopedTempWorkingFolder folder;
  std::filesystem::create_directories(folder.path() / "Data");
  WriteImportFile("import.txt");
  size_t stored = 0;
  for (auto _ : state) {
    CUserDomainList list{list_files::kUserBlackDomain};
    ImportedEntries imported = ReadImportFile("import.txt", EntryKind::kSite);
    std::vector<bool> added = list.AddMany(imported.entries, true);
    stored = list.Count();
    benchmark::DoNotOptimize(added);
    state.PauseTiming();
    FileSystem::Current().Remove("Data\\UserBlackDomain.kezo");
    state.ResumeTiming();
  }
  state.counters["stored"] = static_cast<double>(stored);
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_ReadAndAddImportFile)->Unit(benchmark::kMillisecond);

void BM_ImportThroughThePage(benchmark::State& state) {
  ScopedTempWorkingFolder folder;
  std::filesystem::create_directories(folder.path() / "Data");
  WriteImportFile("import.txt");
  HeadlessUi ui(KezoResources());
  ScopedUiBackend installed(ui);
  ui.on_choose_file = [](const FileDialogRequest&) { return std::optional<std::u16string>(u"import.txt"); };
  ui.on_message_box = [](const MessageBoxRequest&) { return kIdOk; };
  ui.on_menu = [](const MenuModel&) { return ID_BW_IMPORT; };
  int rows = 0;
  for (auto _ : state) {
    state.PauseTiming();
    SharedLists lists;
    CBWDomainDlg page(lists, TheSetup());
    page.Create();
    state.ResumeTiming();
    ui.RightClickList(page, IDC_BW_LIST, -1);
    rows = ui.WindowOf(page)->ListCount(IDC_BW_LIST);
    state.PauseTiming();
    page.DestroyWindow();
    FileSystem::Current().Remove("Data\\UserBlackDomain.kezo");
    state.ResumeTiming();
  }
  state.counters["rows"] = rows;
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_ImportThroughThePage)->Unit(benchmark::kMillisecond);

}  // namespace
