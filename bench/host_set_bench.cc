// The shipped black site list as the proxy holds it (CHostSet): load time, lookup time and
// memory, on the list the build laid into the program folder (a quarter of a million names
// when the outside adult-site lists were there at build time, else the curated list).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "rules/host_set.h"
#include "rules/host_words.h"

namespace {

// Resident memory of the process in bytes (Linux), 0 where it cannot be read.
size_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  size_t pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * 4096;
}

struct ProgramFolder {
  ProgramFolder() { std::filesystem::current_path(KEZO_PROGRAM_DIR); }
};

void BM_HostSetLoad(benchmark::State& state) {
  static ProgramFolder folder;
  size_t before = ResidentBytes();
  CHostSet::Ptr set;
  for (auto _ : state) {
    set.reset();
    set = CHostSet::Load(list_files::kBlackDomain);
    benchmark::DoNotOptimize(set);
  }
  state.counters["entries"] = static_cast<double>(set->Count());
  state.counters["heap_MiB"] = set->MemoryBytes() / 1048576.0;
  state.counters["rss_delta_MiB"] = (static_cast<double>(ResidentBytes()) - before) / 1048576.0;
}
BENCHMARK(BM_HostSetLoad)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_HostSetLookup(benchmark::State& state) {
  static ProgramFolder folder;
  static CHostSet::Ptr set = CHostSet::Load(list_files::kBlackDomain);
  // Many different names, so that the table is met as a request stream meets it (cold
  // slots, not the same few cache lines): ordinary hosts and registrable domains, and
  // listed sites.
  std::vector<std::string> forms;
  for (int i = 0; i < 4096; ++i) {
    forms.push_back(i % 8 == 0 ? "pornhub.com" : "shop" + std::to_string(i * 7919) + ".example.com.cn");
  }
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(set->Contains(forms[i++ & 4095]));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_HostSetLookup);

// The checks of sites that no list names, as the proxy runs them for every request that the
// lists pass: the family index and the weak host words, loaded from the program folder.
void BM_InferredChecksLoad(benchmark::State& state) {
  static ProgramFolder folder;
  size_t before = ResidentBytes();
  CHostSet::Ptr families;
  CHostWords::Ptr words;
  for (auto _ : state) {
    families.reset();
    words.reset();
    families = CHostSet::Load(list_files::kBlackFamily);
    words = CHostWords::Load();
    benchmark::DoNotOptimize(words);
  }
  state.counters["shapes"] = static_cast<double>(families->Count());
  state.counters["family_heap_MiB"] = families->MemoryBytes() / 1048576.0;
  state.counters["rss_delta_MiB"] = (static_cast<double>(ResidentBytes()) - before) / 1048576.0;
}
BENCHMARK(BM_InferredChecksLoad)->Unit(benchmark::kMillisecond)->Iterations(5);

// One registrable label through both checks: its shape looked up among the families, then
// read for weak words. Ordinary labels mostly (the usual request), some that either catches.
void BM_InferredChecks(benchmark::State& state) {
  static ProgramFolder folder;
  static CHostSet::Ptr families = CHostSet::Load(list_files::kBlackFamily);
  static CHostWords::Ptr words = CHostWords::Load();
  const char* samples[] = {"youtube", "cambridge", "teenvogue", "shop", "hotmail", "bandcamp",
                           "802sds", "teengaydick", "adultdatingplanet", "wikipedia"};
  std::vector<std::string> labels;
  for (int i = 0; i < 4096; ++i) labels.push_back(samples[i % 10] + (i % 3 == 0 ? std::to_string(i) : ""));
  size_t i = 0;
  for (auto _ : state) {
    const std::string& label = labels[i++ & 4095];
    bool refused = families->Contains(LabelShape(label)) || words->ReadsAsAdult(label);
    benchmark::DoNotOptimize(refused);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_InferredChecks);

}  // namespace
