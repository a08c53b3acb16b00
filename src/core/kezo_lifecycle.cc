#include "core/kezo_lifecycle.h"

#include "config/lock_record.h"
#include "config/profile_values.h"
#include "platform/processes.h"

KezoLifecycle::KezoLifecycle(std::function<void()> show_main_window)
    : show_main_window_(std::move(show_main_window)) {}

void KezoLifecycle::StartSingleInstanceChannel() { channel_.StartListener(show_main_window_); }

bool KezoLifecycle::RestartElevatedIfRequested() {
  if (ReadProfile(profile::kRunAsAdmin) != 1) return false;
  WriteProfile(profile::kRunAsAdmin, 0);
  Processes::Current().RestartSelf(true);
  return true;
}

bool KezoLifecycle::HandOverToRunningInstance() {
  bool existed = false;
  instance_ = InstanceLock::Create(u"LocalProxy", true, &existed);
  if (!existed) return false;
  channel_.Send(kShowCommand);
  instance_.reset();
  return true;
}

void KezoLifecycle::LoadLockState() { ::LoadLockState(); }

void KezoLifecycle::StartLauncherWatcher() {
  launcher_.Start();
  launcher_started_ = true;
}

void KezoLifecycle::StopLauncher(bool user_quit) {
  if (user_quit && launcher_started_) launcher_.StopAndTerminate();
}

void KezoLifecycle::RestartIfRequested() {
  if (ReadProfile(profile::kRunAsAdmin) != 0) Processes::Current().RestartSelf(false);
}

void KezoLifecycle::OnProcessEnd() {
  channel_.StopListener();
  SaveLockState();
}
