#include "framework/ui_backend.h"

#include <atomic>
#include <cstdlib>

namespace {

std::atomic<UiBackend*> installed{nullptr};

}  // namespace

UiBackend& Ui() {
  UiBackend* backend = installed.load(std::memory_order_acquire);
  if (backend == nullptr) std::abort();  // a program error: no dialog can exist without a backend
  return *backend;
}

UiBackend* InstallUiBackend(UiBackend* backend) { return installed.exchange(backend, std::memory_order_acq_rel); }
