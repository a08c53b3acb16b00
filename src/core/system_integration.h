#pragma once

#include <cstdint>

#include "base/seam.h"

// The program's contact with the system's settings: the system proxy setting that points
// browsers at the filtering proxy, autostart, and the browser's traces. Thread-safe.
//
// System() is DesktopIntegration (the main program's application library); tests install a
// recording fake so that no test changes the machine's settings.
class SystemIntegration : public Seam<SystemIntegration> {
 public:
  virtual ~SystemIntegration() = default;

  // Points the system's HTTP and HTTPS proxy at 127.0.0.1:`proxy_port`.
  virtual void RegisterSystemProxy(uint16_t proxy_port) = 0;
  // Sets the direct connection with automatic detection.
  virtual void RemoveSystemProxy() = 0;
  // The user's session ends: clears the proxy the fast way and sets ProxyRestored.
  virtual void RemoveSystemProxyAtSessionEnd() = 0;
  // May return before the change is made (the task scheduler is slow); changes are made in
  // the order asked.
  virtual void SetAutostart(bool on) = 0;
  virtual bool IsAutostartOn() = 0;
  // At the program's end: gives the autostart changes still being made a short time to
  // finish.
  virtual void FinishAutostartChanges() {}
  virtual void CleanBrowserTraces() = 0;

  static SystemIntegration& System();
};
