#pragma once

#include <atomic>
#include <cstddef>

// The bytes that all filtered responses together may hold at once. Each connection may
// collect a page of some megabytes and inflate it many times over; without a bound shared
// by all of them, a few hundred such connections would take all the memory there is.
//
// Thread-safe: connection threads reserve and release at the same time.
class CMemoryBudget {
 public:
  explicit CMemoryBudget(size_t limit) : limit_(limit) {}
  CMemoryBudget(const CMemoryBudget&) = delete;
  CMemoryBudget& operator=(const CMemoryBudget&) = delete;

  // Reserves `bytes` more; false, with nothing reserved, when that would pass the limit.
  bool Reserve(size_t bytes) {
    size_t used = used_.load();
    do {
      if (bytes > limit_ - used) return false;
    } while (!used_.compare_exchange_weak(used, used + bytes));
    return true;
  }
  void Release(size_t bytes) { used_ -= bytes; }
  size_t Used() const { return used_; }

 private:
  const size_t limit_;
  std::atomic<size_t> used_{0};
};

// One response's share of a budget: it grows as the response holds more and goes back
// whole when the share is destroyed. Used by one thread.
class CBudgetShare {
 public:
  explicit CBudgetShare(CMemoryBudget& budget) : budget_(budget) {}
  ~CBudgetShare() { budget_.Release(held_); }
  CBudgetShare(const CBudgetShare&) = delete;
  CBudgetShare& operator=(const CBudgetShare&) = delete;

  // Makes the share at least `bytes`; false (the share unchanged) when the budget has no
  // room for that.
  bool GrowTo(size_t bytes) {
    if (bytes <= held_) return true;
    if (!budget_.Reserve(bytes - held_)) return false;
    held_ = bytes;
    return true;
  }

 private:
  CMemoryBudget& budget_;
  size_t held_ = 0;
};
