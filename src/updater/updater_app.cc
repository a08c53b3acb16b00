#include "updater/updater_app.h"

CUpdaterApp::CUpdaterApp(std::vector<std::u16string> arguments)
    : CApplication(u"Veltra"), arguments_(std::move(arguments)) {}

CUpdaterApp::~CUpdaterApp() = default;

bool CUpdaterApp::InitInstance() {
  main_window_ = std::make_unique<CUpdaterWnd>(UpdateHost::FromSetting(), ParseUpdateOptions(arguments_));
  SetMainWindow(main_window_.get());
  return main_window_->Create();
}
