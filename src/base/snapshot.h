#pragma once

#include <memory>
#include <mutex>
#include <shared_mutex>
#include <utility>

// An immutable value that readers on any thread use while a writer replaces it with a new
// version built aside.
//
// Readers either run a short function on the current value (Read, the hot path: readers
// never wait for one another, and no reference count is touched) or take a reference that
// keeps their version alive for as long as they hold it (Get). The lock is held only while
// a reader's function runs and while a writer swaps the pointer; building the next version
// and freeing the previous one happen outside it. Writers must serialise among themselves
// (a read-modify-publish sequence is not atomic on its own).
//
// (An std::atomic<std::shared_ptr> was measured first: its load spins on a lock bit and,
// with more connection threads than cores, cost several times more per lookup than this.)
template <typename T>
class Snapshot {
 public:
  Snapshot() : current_(std::make_shared<const T>()) {}
  explicit Snapshot(std::shared_ptr<const T> initial) : current_(std::move(initial)) {}

  // Calls fn(const T&) with the current value, which is not replaced while fn runs. Keep fn
  // short and free of anything that could publish to this same snapshot.
  template <typename Fn>
  decltype(auto) Read(Fn&& fn) const {
    std::shared_lock lock(mu_);
    return std::forward<Fn>(fn)(*current_);
  }

  std::shared_ptr<const T> Get() const {
    std::shared_lock lock(mu_);
    return current_;
  }

  void Publish(std::shared_ptr<const T> next) {
    {
      std::unique_lock lock(mu_);
      current_.swap(next);
    }
    // `next` now holds the previous version, freed here (outside the lock) unless a reader
    // still holds it.
  }

 private:
  mutable std::shared_mutex mu_;
  std::shared_ptr<const T> current_;
};
