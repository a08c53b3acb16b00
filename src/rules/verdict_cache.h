#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "base/thread_annotations.h"
#include "rules/ad_verdict.h"

// The ad engine's memory of recent verdicts, so that an address seen again (the same
// picture or script on many pages) costs one lookup.
//
// Bounded, since a proxy that runs for weeks sees addresses without end: entries live in a
// young and an old generation; when the young one reaches half the limit (in entries or in
// address bytes) the old one is forgotten and the young one becomes old. A hit in the old
// generation moves the entry back to the young one, so addresses in steady use stay.
//
// Thread-safe; the lock is held only for one map operation.
class CVerdictCache {
 public:
  static constexpr size_t kDefaultMaxEntries = 100000;
  static constexpr size_t kDefaultMaxBytes = size_t{32} << 20;

  explicit CVerdictCache(size_t max_entries = kDefaultMaxEntries, size_t max_bytes = kDefaultMaxBytes);

  std::optional<AdVerdict> Find(std::string_view address);

  // Remembers `verdict` for `address` unless the cache was cleared since `generation` was
  // read: a verdict computed from rules that a Clear made stale is dropped.
  void Store(std::string_view address, AdVerdict verdict, uint64_t generation);
  uint64_t Generation() const;

  // Forgets every verdict and starts a new generation.
  void Clear();
  size_t Size() const;

 private:
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  using Map = std::unordered_map<std::string, AdVerdict, Hash, std::equal_to<>>;

  void StoreYoung(std::string_view address, AdVerdict verdict) REQUIRES(mu_);

  const size_t max_entries_;
  const size_t max_bytes_;
  mutable std::mutex mu_;
  Map young_ GUARDED_BY(mu_);
  Map old_ GUARDED_BY(mu_);
  size_t young_bytes_ GUARDED_BY(mu_) = 0;
  uint64_t generation_ GUARDED_BY(mu_) = 0;
};
