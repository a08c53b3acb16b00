#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/application.h"
#include "updater/updater_wnd.h"

// The Updater program: reads its switches and the update host, opens its hidden main
// window (which does the run's job) and returns exit code 0 when the message loop ends.
class CUpdaterApp : public CApplication {
 public:
  explicit CUpdaterApp(std::vector<std::u16string> arguments);
  ~CUpdaterApp() override;

  CUpdaterWnd* MainWnd() { return main_window_.get(); }

 protected:
  bool InitInstance() override;
  int ExitInstance() override { return 0; }

 private:
  std::vector<std::u16string> arguments_;
  std::unique_ptr<CUpdaterWnd> main_window_;
};
