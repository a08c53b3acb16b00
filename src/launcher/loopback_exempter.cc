#include "launcher/loopback_exempter.h"

#include "platform/app_containers.h"

namespace {
constexpr int kStartDelayMs = 120000;
constexpr int kBetweenRunsMs = 50;
}  // namespace

void LoopbackExempter::Run() {
  AppContainers& system = AppContainers::Current();
  if (!system.Supported()) return;
  sleep_(kStartDelayMs);
  system.RunTool(u"CheckNetIsolation.exe", u" LoopbackExempt -c");
  std::optional<std::vector<std::u16string>> containers = system.List();
  if (!containers) return;
  std::u16string tool = system.SystemDirectory() + u"\\CheckNetIsolation.exe";
  for (const std::u16string& sid : *containers) {
    system.RunTool(tool, u" LoopbackExempt -a -p=" + sid);
    sleep_(kBetweenRunsMs);
  }
}
