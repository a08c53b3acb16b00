#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "core/system_integration.h"

// Records the system-integration calls instead of changing the machine. Thread-safe.
class RecordingSystemIntegration : public SystemIntegration {
 public:
  void RegisterSystemProxy(uint16_t proxy_port) override {
    std::lock_guard lock(mu_);
    registered.push_back(proxy_port);
  }
  void RemoveSystemProxy() override {
    std::lock_guard lock(mu_);
    ++removed;
  }
  void RemoveSystemProxyAtSessionEnd() override {
    std::lock_guard lock(mu_);
    ++removed_at_session_end;
  }
  void SetAutostart(bool on) override {
    std::lock_guard lock(mu_);
    autostart.push_back(on);
  }
  void CleanBrowserTraces() override {
    std::lock_guard lock(mu_);
    ++traces_cleaned;
  }

  std::vector<uint16_t> registered;
  int removed = 0;
  int removed_at_session_end = 0;
  std::vector<bool> autostart;
  int traces_cleaned = 0;

 private:
  std::mutex mu_;
};
