#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/serial_worker.h"
#include "core/system_integration.h"

// The proxy server option for the local proxy: "http=127.0.0.1:P;https=127.0.0.1:P".
std::u16string ProxyServerText(uint16_t port);

// The hosts that bypass the proxy: the whole text of Data\SuperWhiteList.txt (empty when
// it is missing), at most kMaxBypassUnits UTF-16 units of it, since the system's option
// buffer holds no more.
inline constexpr size_t kMaxBypassUnits = 2047;
std::u16string ReadBypassText();

// The task file from the template: the first "APPPATH" becomes the program's path in
// double quotes, then the first "WORKPATH" its folder. A template with the UTF-16 mark
// (as the task scheduler writes them) stays UTF-16 little-endian with the mark; any other
// is taken and written as UTF-8.
std::string FillStartupTemplate(std::string_view template_bytes, std::u16string_view program_path,
                                std::u16string_view program_folder);

// SystemIntegration on the platform's proxy setting and autostart store, with the scheduled
// task registered by the scheduler's own command from the filled template ("startup.xml"
// into "startup2.xml" in the working folder).
class DesktopIntegration : public SystemIntegration {
 public:
  void RegisterSystemProxy(uint16_t proxy_port) override;
  void RemoveSystemProxy() override;
  void RemoveSystemProxyAtSessionEnd() override;
  // On a system with the task scheduler the task is registered or deleted on a worker
  // thread, so that the scheduler's command never holds up the window.
  void SetAutostart(bool on) override;
  bool IsAutostartOn() override;
  void FinishAutostartChanges() override;
  // Waits for the autostart changes asked so far, at most `bound`; whether they are done.
  bool WaitForAutostartChanges(std::chrono::milliseconds bound) { return scheduler_.WaitUntilIdle(bound); }
  void CleanBrowserTraces() override;

  // Fills and registers the task; false when there was no task file to register.
  static bool RegisterStartupTask();

 private:
  SerialWorker scheduler_;
};
