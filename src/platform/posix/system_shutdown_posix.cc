#include "platform/command_runner.h"
#include "platform/system_shutdown.h"

namespace {

// Asks the service manager to power off; it answers at once and decides by the user's
// rights (a desktop user at the seat usually may).
class PosixSystemShutdown : public SystemShutdown {
 public:
  bool ForceShutdown() override {
    return CommandRunner::Current().Run({u"systemctl", u"poweroff"}, 30000) == 0;
  }
  // The service manager's power-off is an orderly one already: services stop in turn.
  bool RequestShutdown() override { return ForceShutdown(); }
};

}  // namespace

SystemShutdown& SystemShutdown::System() {
  static PosixSystemShutdown shutdown;
  return shutdown;
}
