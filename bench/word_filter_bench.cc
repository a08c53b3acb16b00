// The keyword matcher on link texts: CWordFilter::Match on texts of 5 to 40 units, mostly
// Chinese and mostly free of keywords, against keyword sets of realistic size; the rebuild
// of a filter from its word file; and, for comparison, the per-unit mask tables that a
// straightforward matcher keeps (one table lookup per unit, a hash lookup per candidate).
//
// The words and texts are generated: Chinese characters of the common GB2312 level-1 set
// drawn with a Zipf distribution (a few characters are very frequent, as in real text),
// keywords made of the rarer part of that distribution, link texts of everyday characters
// with a little Latin, digits and punctuation.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <bitset>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "config/profile_values.h"
#include "memory_file_system.h"
#include "memory_profile_store.h"
#include "platform/code_page.h"
#include "rules/data_file.h"
#include "rules/word_filter.h"

namespace {

// The 3,755 characters of GB2312 level 1, in a fixed shuffled order that stands for their
// frequency rank.
std::u16string CommonCharacters() {
  std::string bytes;
  for (int lead = 0xB0; lead <= 0xD7; ++lead) {
    for (int trail = 0xA1; trail <= 0xFE; ++trail) {
      if (lead == 0xD7 && trail > 0xF9) break;
      bytes += static_cast<char>(lead);
      bytes += static_cast<char>(trail);
    }
  }
  std::u16string characters = LocalToWide(bytes);
  std::shuffle(characters.begin(), characters.end(), std::mt19937(7));
  return characters;
}

class TextMaker {
 public:
  TextMaker() : characters_(CommonCharacters()), random_(42) {
    std::vector<double> weights(characters_.size());
    for (size_t rank = 0; rank < weights.size(); ++rank) weights[rank] = 1.0 / std::pow(rank + 1.0, 1.0);
    zipf_ = std::discrete_distribution<size_t>(weights.begin(), weights.end());
  }

  char16_t Common() { return characters_[zipf_(random_)]; }
  // A character from the less frequent half of the ranks, as most banned words are.
  char16_t Rarer() {
    size_t rank = zipf_(random_);
    return characters_[std::min(characters_.size() - 1, rank + 300)];
  }
  size_t Uniform(size_t bound) { return std::uniform_int_distribution<size_t>(0, bound - 1)(random_); }

  std::vector<std::u16string> Keywords(size_t count) {
    std::unordered_set<std::u16string> words;
    while (words.size() < count) {
      std::u16string word;
      if (Uniform(50) == 0) {
        for (size_t n = 3 + Uniform(6); n > 0; --n) word += static_cast<char16_t>(u'a' + Uniform(26));
      } else {
        static const size_t kLengths[] = {2, 2, 2, 2, 3, 3, 3, 4, 4, 5, 6};
        for (size_t n = kLengths[Uniform(11)]; n > 0; --n) word += Uniform(25) == 0 ? Common() : Rarer();
      }
      words.insert(word);
    }
    return std::vector<std::u16string>(words.begin(), words.end());
  }

  std::u16string LinkText() {
    std::u16string text;
    for (size_t n = 5 + Uniform(36); n > 0; --n) {
      size_t kind = Uniform(100);
      if (kind < 85) {
        text += Common();
      } else if (kind < 92) {
        text += static_cast<char16_t>(u'a' + Uniform(26));
      } else if (kind < 97) {
        text += static_cast<char16_t>(u'0' + Uniform(10));
      } else {
        text += u"，。：“”！ "[Uniform(7)];
      }
    }
    return text;
  }

 private:
  std::u16string characters_;
  std::mt19937 random_;
  std::discrete_distribution<size_t> zipf_;
};

std::string WordFile(const std::vector<std::u16string>& words) {
  std::u16string text;
  for (const std::u16string& word : words) text += word + u"\r\n";
  std::string body = WideToUtf8(text);
  CMyFile::Scramble(body);
  return "\xEF\xBB\xBF" + body;
}

struct Fixture {
  explicit Fixture(size_t keyword_count) {
    TextMaker maker;
    keywords = maker.Keywords(keyword_count);
    for (int i = 0; i < 100000; ++i) texts.push_back(maker.LinkText());
    files.Put("Data\\word.kezo", WordFile(keywords));
    // White words as the shipped list makes them: a banned word with a unit either side.
    std::vector<std::u16string> white_words;
    for (size_t k = 0; k < keywords.size() && white_words.size() < 200; k += 7) {
      white_words.push_back(maker.Common() + keywords[k] + maker.Common());
    }
    files.Put("Data\\whiteword.kezo", WordFile(white_words));
    ScopedSeam<FileSystem> file_seam(files);
    ScopedSeam<ProfileStore> profile_seam(profile);
    WriteProfile(profile::kPowerfullFiltering, 0);
    filter = std::make_unique<CWordFilter>(true);
    white = std::make_unique<CWordFilter>(false);
  }
  std::vector<std::u16string> keywords;
  std::vector<std::u16string> texts;
  MemoryFileSystem files;
  MemoryProfileStore profile;
  std::unique_ptr<CWordFilter> filter;
  std::unique_ptr<CWordFilter> white;
};

Fixture& FixtureFor(size_t keyword_count) {
  static std::unique_ptr<Fixture> fixtures[2];
  std::unique_ptr<Fixture>& fixture = fixtures[keyword_count == 20000 ? 1 : 0];
  if (!fixture) fixture = std::make_unique<Fixture>(keyword_count);
  return *fixture;
}

void BM_WordFilterMatch(benchmark::State& state) {
  Fixture& fixture = FixtureFor(static_cast<size_t>(state.range(0)));
  size_t i = 0, matched = 0, units = 0;
  for (auto _ : state) {
    const std::u16string& text = fixture.texts[i++ % fixture.texts.size()];
    bool match = fixture.filter->Match(text);
    benchmark::DoNotOptimize(match);
    matched += match;
    units += text.size();
  }
  state.counters["match_rate"] = static_cast<double>(matched) / static_cast<double>(state.iterations());
  state.counters["units_per_text"] = static_cast<double>(units) / static_cast<double>(state.iterations());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WordFilterMatch)->Arg(2000)->Arg(20000);

// The judgement the proxy makes of a link's text: banned words that no white word overlaps.
void BM_WordFilterBans(benchmark::State& state) {
  Fixture& fixture = FixtureFor(static_cast<size_t>(state.range(0)));
  size_t i = 0, banned = 0;
  for (auto _ : state) {
    bool ban = fixture.filter->Bans(fixture.texts[i++ % fixture.texts.size()], fixture.white.get());
    benchmark::DoNotOptimize(ban);
    banned += ban;
  }
  state.counters["ban_rate"] = static_cast<double>(banned) / static_cast<double>(state.iterations());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WordFilterBans)->Arg(2000)->Arg(20000);

void BM_WordFilterRebuild(benchmark::State& state) {
  Fixture& fixture = FixtureFor(20000);
  ScopedSeam<FileSystem> file_seam(fixture.files);
  ScopedSeam<ProfileStore> profile_seam(fixture.profile);
  for (auto _ : state) fixture.filter->Rebuild();
  state.counters["keywords"] = static_cast<double>(fixture.filter->KeywordCount());
  state.SetLabel("read, unscramble, decode and index Data\\word.kezo");
}
BENCHMARK(BM_WordFilterRebuild)->Unit(benchmark::kMillisecond);

// For comparison: the mask tables indexed by single units, scanning as a straightforward
// matcher does (a position mask and a length mask per unit, a hash lookup per candidate
// that passes them).
class MaskTables {
 public:
  explicit MaskTables(const std::vector<std::u16string>& keywords) : keywords_(keywords.begin(), keywords.end()) {
    for (const std::u16string& w : keywords) {
      int n = static_cast<int>(w.size());
      longest_ = std::max(longest_, n);
      shortest_ = std::min(shortest_, n);
      for (int p = 0; p < n; ++p) position_[w[p]] |= static_cast<uint8_t>(1 << std::min(p, 7));
      if (n == 1) {
        single_.set(w[0]);
      } else {
        length_[w[0]] |= static_cast<uint8_t>(1 << std::min(n - 2, 7));
        last_.set(w[n - 1]);
      }
    }
  }

  bool Match(std::u16string_view t) const {
    int length = static_cast<int>(t.size());
    if (length == 0) return false;
    for (int i = 0;;) {
      int step = 1;
      if ((position_[t[i]] & 1) == 0) {
        while (i < length - 1 && (position_[t[i]] & 1) == 0) ++i;
      }
      char16_t first = t[i];
      if (shortest_ == 1 && single_.test(first)) return true;
      for (int j = 1; j <= std::min(longest_, length - i - 1); ++j) {
        char16_t c = t[i + j];
        uint8_t m = position_[c];
        if ((m & 1) == 0 && step == j) step = j + 1;
        if ((m & (1 << std::min(j, 7))) == 0) break;
        if (j + 1 >= shortest_ && (length_[first] & (1 << std::min(j - 1, 7))) != 0 && last_.test(c) &&
            keywords_.count(std::u16string(t.substr(i, j + 1))) != 0) {
          return true;
        }
      }
      i += step;
      if (i >= length) return false;
    }
  }

 private:
  uint8_t position_[65536] = {};
  uint8_t length_[65536] = {};
  std::bitset<65536> single_;
  std::bitset<65536> last_;
  int longest_ = 0;
  int shortest_ = INT32_MAX;
  std::unordered_set<std::u16string> keywords_;
};

void BM_MaskTablesMatch(benchmark::State& state) {
  Fixture& fixture = FixtureFor(20000);
  static const auto tables = std::make_unique<MaskTables>(fixture.keywords);
  for (const std::u16string& text : fixture.texts) {
    if (tables->Match(text) != fixture.filter->Match(text)) {
      state.SkipWithError("the mask tables and CWordFilter disagree");
      return;
    }
  }
  size_t i = 0;
  for (auto _ : state) {
    bool match = tables->Match(fixture.texts[i++ % fixture.texts.size()]);
    benchmark::DoNotOptimize(match);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MaskTablesMatch);

}  // namespace
