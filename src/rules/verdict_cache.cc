#include "rules/verdict_cache.h"

#include <algorithm>

CVerdictCache::CVerdictCache(size_t max_entries, size_t max_bytes)
    : max_entries_(std::max<size_t>(max_entries, 2)), max_bytes_(max_bytes) {}

std::optional<AdVerdict> CVerdictCache::Find(std::string_view address) {
  std::lock_guard lock(mu_);
  if (auto found = young_.find(address); found != young_.end()) return found->second;
  auto found = old_.find(address);
  if (found == old_.end()) return std::nullopt;
  AdVerdict verdict = found->second;
  old_.erase(found);
  StoreYoung(address, verdict);
  return verdict;
}

void CVerdictCache::Store(std::string_view address, AdVerdict verdict, uint64_t generation) {
  std::lock_guard lock(mu_);
  if (generation != generation_) return;
  if (auto found = young_.find(address); found != young_.end()) {
    found->second = verdict;
    return;
  }
  old_.erase(std::string(address));
  StoreYoung(address, verdict);
}

void CVerdictCache::StoreYoung(std::string_view address, AdVerdict verdict) {
  // An address longer than a generation may hold is not kept at all.
  if (address.size() > max_bytes_ / 2) return;
  if (young_.size() + 1 > max_entries_ / 2 || young_bytes_ + address.size() > max_bytes_ / 2) {
    old_ = std::move(young_);
    young_ = Map();
    young_bytes_ = 0;
  }
  young_.emplace(std::string(address), verdict);
  young_bytes_ += address.size();
}

void CVerdictCache::Clear() {
  std::lock_guard lock(mu_);
  young_.clear();
  old_.clear();
  young_bytes_ = 0;
  ++generation_;
}

uint64_t CVerdictCache::Generation() const {
  std::lock_guard lock(mu_);
  return generation_;
}

size_t CVerdictCache::Size() const {
  std::lock_guard lock(mu_);
  return young_.size() + old_.size();
}
