#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
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
  bool IsAutostartOn() override {
    std::lock_guard lock(mu_);
    return !autostart.empty() && autostart.back();
  }
  void CleanBrowserTraces() override {
    std::lock_guard lock(mu_);
    ++traces_cleaned;
  }

  // Waits up to five seconds for the first registration (which the proxy's thread makes),
  // then forgets it; returns the port it named, or 0.
  uint16_t TakeFirstRegistration() {
    for (int i = 0; i < 500; ++i) {
      {
        std::lock_guard lock(mu_);
        if (!registered.empty()) {
          uint16_t port = registered.front();
          registered.clear();
          return port;
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
  }

  std::vector<uint16_t> registered;
  int removed = 0;
  int removed_at_session_end = 0;
  std::vector<bool> autostart;
  int traces_cleaned = 0;

 private:
  std::mutex mu_;
};
