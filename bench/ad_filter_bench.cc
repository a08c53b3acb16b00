// The ad engine on a real list (EasyList from Debian's webext-ublock-origin-firefox, or the
// file that KEZO_EASYLIST names): start-up (load and compile) time and memory, the
// uncached verdict per address over a corpus of generated addresses (1% of them several
// kilobytes long), the same on long addresses only, the cached verdict, and the plain
// reading (every rule's std::regex searched in order) for comparison.
//
// The distribution benchmarks run once and report median, p99 and worst case in
// microseconds as counters. rule_MB is the compiled rules' own estimate of their size.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "ad_address_corpus.h"
#include "memory_file_system.h"
#include "plain_ad_reading.h"
#include "platform/code_page.h"
#include "rules/ad_filter.h"

namespace {

using Clock = std::chrono::steady_clock;
using Request = CAdAddressCorpus::Request;

std::string ReadList() {
  const char* chosen = std::getenv("KEZO_EASYLIST");
  std::ifstream file(chosen != nullptr ? chosen
                                       : "/usr/share/mozilla/extensions/{ec8030f7-c20a-464f-9b0e-13a3a9e97384}/"
                                         "uBlock0@raymondhill.net/assets/thirdparties/easylist/easylist.txt",
                     std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// A list of `count` lines drawn from `list` (all of it when count is 0).
std::string Sample(const std::string& list, size_t count) {
  if (count == 0) return list;
  std::vector<std::string> lines;
  std::istringstream in(list);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::shuffle(lines.begin(), lines.end(), std::mt19937(1));
  lines.resize(std::min(count, lines.size()));
  std::string sample;
  for (const std::string& line : lines) sample += line + "\n";
  return sample;
}

struct AdFixture {
  AdFixture() {
    list = ReadList();
    if (list.empty()) return;
    files.Put("Data\\easylistchina.txt", list);
    ScopedSeam<FileSystem> seam(files);
    filter = std::make_unique<CAdFilter>();
    filter->Compile();
    std::vector<std::string> lines;
    for (const std::u16string& entry : *filter->Entries()) lines.push_back(WideToLocal(entry));
    CAdAddressCorpus::Shape shape;
    shape.count = 50000;
    shape.long_percent = 1;
    shape.long_min = 1000;
    shape.long_max = 8000;
    corpus = CAdAddressCorpus::Make(lines, shape);
    shape.count = 500;
    shape.long_percent = 100;
    shape.long_min = 3000;
    shape.long_max = 8000;
    shape.seed = 99;
    long_corpus = CAdAddressCorpus::Make(lines, shape);
  }

  std::string list;
  MemoryFileSystem files;
  std::unique_ptr<CAdFilter> filter;
  std::vector<Request> corpus;
  std::vector<Request> long_corpus;
};

AdFixture* Fixture(benchmark::State& state) {
  static AdFixture fixture;
  if (fixture.filter == nullptr) {
    state.SkipWithError("no ad list: install webext-ublock-origin-firefox or set KEZO_EASYLIST");
    return nullptr;
  }
  return &fixture;
}

void ReportDistribution(benchmark::State& state, std::vector<double> micros) {
  std::sort(micros.begin(), micros.end());
  state.counters["addresses"] = static_cast<double>(micros.size());
  state.counters["median_us"] = micros[micros.size() / 2];
  state.counters["p99_us"] = micros[micros.size() * 99 / 100];
  state.counters["worst_us"] = micros.back();
}

// Each address timed on its own, the least of three passes: a warmed-up proxy, and a
// figure that a preemption of this process during one pass does not distort.
std::vector<double> TimeEach(const CAdFilter& filter, const std::vector<Request>& requests) {
  std::vector<double> micros(requests.size(), 1e300);
  for (int pass = 0; pass < 3; ++pass) {
    for (size_t i = 0; i < requests.size(); ++i) {
      Clock::time_point start = Clock::now();
      AdVerdict verdict = filter.CheckUncached(requests[i].address, requests[i].host);
      benchmark::DoNotOptimize(verdict);
      micros[i] = std::min(micros[i], std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
  }
  return micros;
}

void BM_AdFilterStartUp(benchmark::State& state) {
  AdFixture* fixture = Fixture(state);
  if (fixture == nullptr) return;
  MemoryFileSystem files;
  files.Put("Data\\easylistchina.txt", Sample(fixture->list, static_cast<size_t>(state.range(0))));
  ScopedSeam<FileSystem> seam(files);
  CAdRuleSet::Stats stats;
  size_t memory = 0;
  for (auto _ : state) {
    CAdFilter filter;
    stats = filter.Compile();
    memory = filter.RuleMemoryBytes();
  }
  state.counters["lines"] = static_cast<double>(stats.lines);
  state.counters["rules"] = static_cast<double>(stats.rules);
  state.counters["rule_MB"] = static_cast<double>(memory) / 1e6;
}
BENCHMARK(BM_AdFilterStartUp)->Arg(20000)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_AdFilterUncached(benchmark::State& state) {
  AdFixture* fixture = Fixture(state);
  if (fixture == nullptr) return;
  size_t i = 0;
  for (auto _ : state) {
    const Request& request = fixture->corpus[i++ % fixture->corpus.size()];
    benchmark::DoNotOptimize(fixture->filter->CheckUncached(request.address, request.host));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AdFilterUncached);

void BM_AdFilterUncachedDistribution(benchmark::State& state) {
  AdFixture* fixture = Fixture(state);
  if (fixture == nullptr) return;
  std::vector<double> micros;
  for (auto _ : state) micros = TimeEach(*fixture->filter, fixture->corpus);
  ReportDistribution(state, micros);
}
BENCHMARK(BM_AdFilterUncachedDistribution)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_AdFilterLongAddressDistribution(benchmark::State& state) {
  AdFixture* fixture = Fixture(state);
  if (fixture == nullptr) return;
  std::vector<double> micros;
  for (auto _ : state) micros = TimeEach(*fixture->filter, fixture->long_corpus);
  ReportDistribution(state, micros);
  state.SetLabel("3 to 8 KB addresses");
}
BENCHMARK(BM_AdFilterLongAddressDistribution)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_AdFilterCached(benchmark::State& state) {
  AdFixture* fixture = Fixture(state);
  if (fixture == nullptr) return;
  for (size_t i = 0; i < 1000; ++i) fixture->filter->Check(fixture->corpus[i].address, "", fixture->corpus[i].host);
  size_t i = 0;
  for (auto _ : state) {
    const Request& request = fixture->corpus[i++ % 1000];
    benchmark::DoNotOptimize(fixture->filter->Check(request.address, "", request.host));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AdFilterCached)->Threads(1)->Threads(4);

// Every rule's std::regex in order, as the list reads plainly; short addresses only, since
// a long one takes many seconds here.
void BM_PlainReadingDistribution(benchmark::State& state) {
  AdFixture* fixture = Fixture(state);
  if (fixture == nullptr) return;
  static const CPlainAdReading reading(*fixture->filter->Entries());
  std::vector<Request> sample;
  for (const Request& request : fixture->corpus) {
    if (request.address.size() <= 300 && sample.size() < static_cast<size_t>(state.range(0))) sample.push_back(request);
  }
  std::vector<double> micros;
  for (auto _ : state) {
    for (const Request& request : sample) {
      Clock::time_point start = Clock::now();
      benchmark::DoNotOptimize(reading.Verdict(request.address, request.host, false));
      micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
  }
  ReportDistribution(state, micros);
  state.SetLabel("addresses of up to 300 bytes");
}
BENCHMARK(BM_PlainReadingDistribution)->Arg(100)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
