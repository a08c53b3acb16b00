#include "updater/updater_app.h"

#include "framework/ui_backend.h"
#include "platform/instance_lock.h"

CUpdaterApp::CUpdaterApp(std::vector<std::u16string> arguments)
    : CApplication(u"Veltra"), arguments_(std::move(arguments)) {}

CUpdaterApp::~CUpdaterApp() = default;

bool CUpdaterApp::InitInstance() {
  UpdateOptions options = ParseUpdateOptions(arguments_);
  // One Updater at a time: two data updates would unpack and delete each other's packs.
  // A user who asked for the upgrade dialog learns why nothing opens; the timers' runs end
  // silently.
  bool existed = false;
  instance_ = InstanceLock::Create(kInstanceName, true, &existed);
  if (existed) {
    if (options.program_update && !options.hidden) {
      Ui().ShowMessageBox(MessageBoxRequest{u"Veltra 在线升级程序正在运行，请稍后再试。", u"Veltra 在线升级"}, nullptr);
    }
    return false;
  }
  main_window_ = std::make_unique<CUpdaterWnd>(UpdateHost::FromSetting(), std::move(options));
  SetMainWindow(main_window_.get());
  return main_window_->Create();
}
