// Rewriting of a filtered page as the proxy does it for every HTML response: a 60 KB UTF-8
// page with 300 links, plain and gzip-compressed in chunks, with the shipped word lists
// and page pieces of the program folder.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <random>
#include <string>

#include "config/settings.h"
#include "platform/allocator_tuning.h"
#include "proxy/http_response.h"
#include "rules/page_assets.h"
#include "rules/word_filter.h"

namespace {

const char* const kSentences[] = {
    "今天的天气很好，我们一起去公园散步。", "这个城市的交通非常方便，地铁四通八达。", "学校图书馆每天早上八点开门。",
    "新的软件版本修复了许多问题。",         "他在厨房里做了一顿丰盛的晚餐。",       "春天来了，山上的花都开了。",
    "科学家们正在研究新的能源技术。",       "博物馆里展出了很多古代文物。",         " The quick brown fox jumps over the lazy dog. ",
};
const char* const kTopics[] = {"news", "sports", "games", "music", "video", "travel", "tech", "shopping"};

std::string MakePage() {
  std::mt19937 random(20240601);
  auto pick = [&](const auto& items) { return items[random() % std::size(items)]; };
  std::string page = "<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\"><title>测试页面</title></head><body>";
  for (int i = 0; i < 300; ++i) {
    page += "<a href=\"http://www.example.com/" + std::string(pick(kTopics)) + "/" + std::to_string(i) +
            ".html\" class=\"lk\" title=\"t\">" + std::string(pick(kSentences)).substr(0, 12) + " " + pick(kTopics) + "</a>";
    if (i % 10 == 0) page += "<p>" + std::string(pick(kSentences)) + pick(kSentences) + "</p>";
  }
  while (page.size() < 60 * 1024) page += "<p>" + std::string(pick(kSentences)) + "</p>";
  return page + "</body></html>";
}

std::string GzipChunked(const std::string& data) {
  z_stream stream{};
  deflateInit2(&stream, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  std::string gz(deflateBound(&stream, data.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(gz.data());
  stream.avail_out = static_cast<uInt>(gz.size());
  deflate(&stream, Z_FINISH);
  gz.resize(stream.total_out);
  deflateEnd(&stream);
  std::string chunked;
  for (size_t at = 0; at < gz.size(); at += 4096) {
    std::string piece = gz.substr(at, 4096);
    char size[16];
    std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
    chunked += size + piece + "\r\n";
  }
  return chunked + "0\r\n\r\n";
}

// The program folder becomes the working directory before anything reads its data.
struct InProgramFolder {
  InProgramFolder() {
    if (chdir(KEZO_PROGRAM_DIR) != 0) std::abort();
    KeepFreedMemoryForReuse();
  }
};

struct Fixture : InProgramFolder {
  Fixture() { setup.WebControl = 1; }
  SetupRecord setup;
  CWordFilter black{true};
  CWordFilter white{false};
  CPageAssets assets{setup};
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void Rewrite(benchmark::State& state, const std::string& reply) {
  Fixture& f = Shared();
  size_t out_bytes = 0;
  for (auto _ : state) {
    CHttpResponse response(&f.black, &f.white, &f.assets, f.setup);
    std::string out;
    response.Take(reply);
    response.Finish(out);
    out_bytes = out.size();
    benchmark::DoNotOptimize(out_bytes);
  }
  state.counters["keywords"] = static_cast<double>(f.black.KeywordCount());
  state.counters["out_bytes"] = static_cast<double>(out_bytes);
}

void BM_RewritePlainPage(benchmark::State& state) {
  std::string page = MakePage();
  Rewrite(state, "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                     std::to_string(page.size()) + "\r\n\r\n" + page);
}
BENCHMARK(BM_RewritePlainPage)->Unit(benchmark::kMicrosecond);

void BM_RewriteGzipChunkedPage(benchmark::State& state) {
  Rewrite(state, "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nTransfer-Encoding: chunked\r\n"
                 "Content-Encoding: gzip\r\n\r\n" + GzipChunked(MakePage()));
}
BENCHMARK(BM_RewriteGzipChunkedPage)->Unit(benchmark::kMicrosecond);

}  // namespace
