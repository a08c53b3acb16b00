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

}  // namespace
