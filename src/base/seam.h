#pragma once

#include <atomic>

// A process-wide operating-system service that tests can replace with a fake.
//
// A service derives from Seam<Service> and provides `static Service& System()`, the real
// implementation. Code reaches the service through Service::Current(); a test installs a
// fake with ScopedSeam for the duration of a test. Installing is not meant to race with use:
// install before the threads that use the service start, remove after they end.
template <typename Service>
class Seam {
 public:
  static Service& Current() {
    Service* replacement = Slot().load(std::memory_order_acquire);
    return replacement != nullptr ? *replacement : Service::System();
  }

  // Installs `replacement` (nullptr: the real implementation) and returns the previous one.
  static Service* Install(Service* replacement) {
    return Slot().exchange(replacement, std::memory_order_acq_rel);
  }

 private:
  static std::atomic<Service*>& Slot() {
    static std::atomic<Service*> slot{nullptr};
    return slot;
  }
};

// Installs a replacement for a service for the lifetime of this object.
template <typename Service>
class ScopedSeam {
 public:
  explicit ScopedSeam(Service& replacement) : previous_(Service::Install(&replacement)) {}
  ~ScopedSeam() { Service::Install(previous_); }
  ScopedSeam(const ScopedSeam&) = delete;
  ScopedSeam& operator=(const ScopedSeam&) = delete;

 private:
  Service* previous_;
};
