#include "core/system_integration.h"

namespace {

class NoSystemIntegration : public SystemIntegration {
 public:
  void RegisterSystemProxy(uint16_t proxy_port) override {}
  void RemoveSystemProxy() override {}
  void RemoveSystemProxyAtSessionEnd() override {}
  void SetAutostart(bool on) override {}
  void CleanBrowserTraces() override {}
};

}  // namespace

SystemIntegration& SystemIntegration::System() {
  static NoSystemIntegration none;
  return none;
}
