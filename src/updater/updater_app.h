#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/application.h"
#include "platform/instance_lock.h"
#include "updater/updater_wnd.h"

// The Updater program: reads its switches and the update host and, unless another Updater
// runs, opens its hidden main window (which does the run's job); returns exit code 0 when
// the message loop ends.
class CUpdaterApp : public CApplication {
 public:
  // The token that one running Updater holds; a second start ends at once.
  static constexpr std::u16string_view kInstanceName = u"VeltraUpdater";

  explicit CUpdaterApp(std::vector<std::u16string> arguments);
  ~CUpdaterApp() override;

  CUpdaterWnd* MainWnd() { return main_window_.get(); }

 protected:
  bool InitInstance() override;
  int ExitInstance() override { return 0; }

 private:
  std::vector<std::u16string> arguments_;
  std::unique_ptr<InstanceLock> instance_;
  std::unique_ptr<CUpdaterWnd> main_window_;
};
