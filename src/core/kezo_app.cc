#include "core/kezo_app.h"

#include <algorithm>

#include "config/process_flags.h"
#include "config/settings.h"
#include "core/app_lifecycle.h"
#include "core/lock_control.h"
#include "core/system_integration.h"
#include "framework/ui_backend.h"
#include "platform/program_folder.h"
#include "platform/sockets.h"

CKEZOApp::CKEZOApp(std::vector<std::u16string> arguments, AppLifecycle& lifecycle,
                   CKEZODlg::Collaborators collaborators)
    : CApplication(u"Veltra"),
      arguments_(std::move(arguments)),
      lifecycle_(lifecycle),
      collaborators_(std::move(collaborators)) {
  if (collaborators_.dialogs == nullptr) collaborators_.dialogs = &dialogs_;
  if (collaborators_.forced_mode == nullptr) collaborators_.forced_mode = &forced_mode_;
  if (collaborators_.patrol == nullptr) collaborators_.patrol = &patrol_;
}

CKEZOApp::CKEZOApp(std::vector<std::u16string> arguments) : CKEZOApp(std::move(arguments), AppLifecycle::None()) {}

CKEZOApp::~CKEZOApp() = default;

bool CKEZOApp::HasSwitch(const std::vector<std::u16string>& arguments, std::u16string_view switch_text) {
  return std::find(arguments.begin(), arguments.end(), switch_text) != arguments.end();
}

void CKEZOApp::PostToMainWindow(uint32_t message) {
  Ui().Dispatcher().Post([this, message] {
    if (main_ != nullptr && main_->IsOpen()) main_->HandlePrivateMessage(message, 0, 0);
  });
}

bool CKEZOApp::InitInstance() {
  // The common controls and the hosting of the browser control are ready once the UI
  // backend exists.
  if (!StartSockets()) {
    Ui().ShowMessageBox(MessageBoxRequest{u"Windows 套接字初始化失败。", Title()}, nullptr);
    return false;
  }
  SetRegistryKey(kProfileRoot);
  lifecycle_.StartSingleInstanceChannel();
  if (lifecycle_.RestartElevatedIfRequested()) return false;
  if (lifecycle_.HandOverToRunningInstance()) return false;
  EnterProgramFolder();
  lifecycle_.LoadLockState();
  lifecycle_.StartLauncherWatcher();

  main_ = std::make_unique<CKEZODlg>(lists_, collaborators_);
  if (!main_->Create()) return false;
  SetMainWindow(main_.get());

  if (HasSwitch(arguments_, u"-a")) SystemIntegration::Current().SetAutostart(true);
  LockControl& lock = collaborators_.lock != nullptr ? *collaborators_.lock : LockControl::Default();
  bool hidden = HasSwitch(arguments_, u"-h") || lock.IsLocked() || main_->StartupFailed();
  if (!hidden) main_->ShowMainWindow();
  return true;
}

int CKEZOApp::ExitInstance() {
  // Only an instance that ran its main window owns the system proxy setting: a start that
  // ended early (a second instance handing over, say) leaves the running one's alone.
  if (main_ != nullptr) {
    lifecycle_.StopLauncher(TheSetup().Exiting);
    if (!ProxyRestored) SystemIntegration::Current().RemoveSystemProxy();
    SetMainWindow(nullptr);
    main_->Teardown(false);
    main_.reset();
    SystemIntegration::Current().FinishAutostartChanges();
  }
  lifecycle_.RestartIfRequested();
  lifecycle_.OnProcessEnd();
  return 0;
}
