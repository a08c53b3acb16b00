#pragma once

#include <functional>
#include <memory>

#include "core/app_lifecycle.h"
#include "core/launcher_watcher.h"
#include "core/udp_channel.h"
#include "platform/instance_lock.h"

// The main program's life as a process: the single-instance channel and token, the restart
// with administrator rights, the lock state and the Launcher watcher, in the places the
// application calls them.
class KezoLifecycle : public AppLifecycle {
 public:
  // `show_main_window`: asks the running program's main window to show itself; called on
  // the channel's thread.
  explicit KezoLifecycle(std::function<void()> show_main_window);

  void StartSingleInstanceChannel() override;
  bool RestartElevatedIfRequested() override;
  bool HandOverToRunningInstance() override;
  void LoadLockState() override;
  void StartLauncherWatcher() override;
  void StopLauncher(bool user_quit) override;
  void RestartIfRequested() override;
  void OnProcessEnd() override;

  const UdpChannel& Channel() const { return channel_; }

 private:
  std::function<void()> show_main_window_;
  UdpChannel channel_;
  std::unique_ptr<InstanceLock> instance_;
  LauncherWatcher launcher_;
  bool launcher_started_ = false;
};
