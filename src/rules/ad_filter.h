#pragma once

#include <cstddef>
#include <mutex>
#include <string_view>

#include "base/snapshot.h"
#include "rules/ad_rule_set.h"
#include "rules/ad_verdict.h"
#include "rules/text_list.h"
#include "rules/verdict_cache.h"

// The ad-block rule engine: the list of ad rules (Data\easylistchina.txt, Adblock Plus
// syntax, plain, kept sorted) and the verdict for each request address.
//
// Compile translates the list once into rules (see AdRuleText for the translation and
// CAdRuleSet for the decision); Check answers for an address, remembering recent answers.
// Lines that cannot become rules are skipped and counted: comments, headers, page-element
// rules, lines with nothing before their options (they would match every address of their
// sites), lines whose translation would exceed kMaxReplacements, and lines whose
// expressions std::regex rejects or that stack one repetition on another (see
// CAdRuleSet::StacksRepetitions).
//
// Thread safety: Check runs on any number of threads at once and never waits for another
// Check except for a moment at the verdict cache; the compiled rules are immutable and a
// Compile publishes new ones at once (a Check sees the old or the new rules, whole).
// Compile calls serialise among themselves. The list methods inherited from CMyList keep
// their own guarantees.
class CAdFilter : public CMyList {
 public:
  // The engine over Data\easylistchina.txt, loaded sorted. No rules until Compile.
  CAdFilter();
  // The engine over another list file (tests, tools).
  explicit CAdFilter(const ListFile& file);

  // Translates the loaded entries into rules and makes them the ones Check uses. Forgets
  // every remembered verdict. Returns what became of the lines.
  CAdRuleSet::Stats Compile();

  // The verdict for `address` (the request address in the local code page, as taken from
  // the request); `host` is the request host without a leading "www.", which rules that
  // name sites look at. `referer` is accepted for the callers' sake and not used. An empty
  // address is allowed. A verdict is remembered per address (not per host).
  AdVerdict Check(std::string_view address, std::string_view referer, std::string_view host);

  // The verdict without the cache (benchmarks, tests).
  AdVerdict CheckUncached(std::string_view address, std::string_view host) const;

  // The verdict without the cache, with the list line whose rule decided (empty when no
  // rule did). For diagnosis; the proxy uses Check.
  struct Explanation {
    AdVerdict verdict;
    std::u16string line;
  };
  Explanation Explain(std::string_view address, std::string_view host) const;

  size_t RuleCount() const;
  size_t RuleMemoryBytes() const;
  size_t CachedCount() const { return cache_.Size(); }

 private:
  // The rules together with the lines they were compiled from.
  struct Compiled {
    std::shared_ptr<const CAdRuleSet> rules = std::make_shared<const CAdRuleSet>();
    std::shared_ptr<const Items> lines = std::make_shared<const Items>();
  };

  std::mutex compile_mu_;
  Snapshot<Compiled> compiled_;
  CVerdictCache cache_;
};
