#include "rules/ad_filter.h"

#include "rules/list_files.h"

CAdFilter::CAdFilter() : CAdFilter(list_files::kEasyListChina) {}

CAdFilter::CAdFilter(const ListFile& file) : CMyList(file) { Load(true); }

CAdRuleSet::Stats CAdFilter::Compile() {
  std::lock_guard lock(compile_mu_);
  CAdRuleSet::Stats stats;
  rules_.Publish(CAdRuleSet::Build(*Entries(), &stats));
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
  return rules_.Read([&](const CAdRuleSet& rules) { return rules.Decide(address, host); });
}

size_t CAdFilter::RuleCount() const {
  return rules_.Read([](const CAdRuleSet& rules) { return rules.RuleCount(); });
}

size_t CAdFilter::RuleMemoryBytes() const {
  return rules_.Read([](const CAdRuleSet& rules) { return rules.MemoryBytes(); });
}
