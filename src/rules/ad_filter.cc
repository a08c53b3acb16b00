#include "rules/ad_filter.h"

#include "rules/list_files.h"

CAdFilter::CAdFilter() : CAdFilter(list_files::kEasyListChina) {}

CAdFilter::CAdFilter(const ListFile& file) : CMyList(file) { Load(true); }

CAdRuleSet::Stats CAdFilter::Compile() {
  std::lock_guard lock(compile_mu_);
  CAdRuleSet::Stats stats;
  std::shared_ptr<const Items> lines = Entries();
  std::shared_ptr<const CAdRuleSet> rules = CAdRuleSet::Build(*lines, &stats);
  compiled_.Publish(std::make_shared<const Compiled>(Compiled{std::move(rules), std::move(lines)}));
  // After the new rules are out, so that a verdict of the old rules is never stored again.
  cache_.Clear();
  return stats;
}

AdVerdict CAdFilter::Check(std::string_view address, std::string_view referer, std::string_view host) {
  if (address.empty()) return AdVerdict::kAllow;
  if (std::optional<AdVerdict> cached = cache_.Find(address)) return *cached;
  uint64_t generation = cache_.Generation();
  AdVerdict verdict = CheckUncached(address, host);
  cache_.Store(address, verdict, generation);
  return verdict;
}

AdVerdict CAdFilter::CheckUncached(std::string_view address, std::string_view host) const {
  if (address.empty()) return AdVerdict::kAllow;
  return compiled_.Read([&](const Compiled& compiled) { return compiled.rules->Decide(address, host); });
}

CAdFilter::Explanation CAdFilter::Explain(std::string_view address, std::string_view host) const {
  if (address.empty()) return {AdVerdict::kAllow, {}};
  return compiled_.Read([&](const Compiled& compiled) {
    uint32_t line = CAdRuleSet::kNoLine;
    AdVerdict verdict = compiled.rules->Decide(address, host, &line);
    return Explanation{verdict, line == CAdRuleSet::kNoLine ? std::u16string() : (*compiled.lines)[line]};
  });
}

size_t CAdFilter::RuleCount() const {
  return compiled_.Read([](const Compiled& compiled) { return compiled.rules->RuleCount(); });
}

size_t CAdFilter::RuleMemoryBytes() const {
  return compiled_.Read([](const Compiled& compiled) { return compiled.rules->MemoryBytes(); });
}
