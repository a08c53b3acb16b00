// Lookups that the proxy makes several times for every request: exact site-list lookups
// (CMyList::Contains) and the host-keyword scan (CURLFilter::Match).
#include <benchmark/benchmark.h>

#include <string>

#include "memory_file_system.h"
#include "rules/url_filter.h"

namespace {

std::string SiteName(int i) { return "site" + std::to_string(i * 7919 % 1000003) + ".example.com"; }

std::string ListText(int entries) {
  std::string text;
  for (int i = 0; i < entries; ++i) text += SiteName(i) + "\r\n";
  return text;
}

void BM_ContainsOnSortedList(benchmark::State& state) {
  MemoryFileSystem files;
  ScopedSeam<FileSystem> seam(files);
  int entries = static_cast<int>(state.range(0));
  files.Put("Data\\list.txt", ListText(entries));
  CMyList list("Data\\list.txt", false, 9999, 1);
  list.Load(true);
  std::string present = SiteName(entries / 2), absent = "absent.example.org";
  bool hit = false;
  for (auto _ : state) {
    benchmark::DoNotOptimize(hit = list.Contains(present));
    benchmark::DoNotOptimize(hit = list.Contains(absent));
  }
  state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_ContainsOnSortedList)->Arg(1000)->Arg(100000);

void BM_ContainsFromFourThreads(benchmark::State& state) {
  static MemoryFileSystem files;
  static CMyList* list = [] {
    ScopedSeam<FileSystem> seam(files);
    files.Put("Data\\list.txt", ListText(100000));
    auto* loaded = new CMyList("Data\\list.txt", false, 9999, 1);
    loaded->Load(true);
    return loaded;
  }();
  std::string host = SiteName(state.thread_index() * 100);
  for (auto _ : state) benchmark::DoNotOptimize(list->Contains(host));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ContainsFromFourThreads)->Threads(4);

void BM_UrlFilterMatch(benchmark::State& state) {
  MemoryFileSystem files;
  ScopedSeam<FileSystem> seam(files);
  std::string keywords;
  for (int i = 0; i < state.range(0); ++i) keywords += "kw" + std::to_string(i) + "x\r\n";
  files.Put("Data\\URLFilter.kezo", keywords);
  CURLFilter filter("Data\\URLFilter.kezo", false, 10, 2);
  filter.Load(true);
  for (auto _ : state) benchmark::DoNotOptimize(filter.Match("www.some-ordinary-site.example.com"));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UrlFilterMatch)->Arg(50)->Arg(500);

}  // namespace
