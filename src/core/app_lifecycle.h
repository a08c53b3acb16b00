#pragma once

// The steps of the program's start and end that come from the single-instance channel,
// the restart with administrator rights, the lock state and the Launcher watcher. CKEZOApp
// calls them in their places. User-interface thread.
//
// The default implementation does nothing: no channel, no elevation, no other instance
// detected, no lock state loaded (the program starts unlocked), no Launcher.
class AppLifecycle {
 public:
  virtual ~AppLifecycle() = default;

  // Start.
  virtual void StartSingleInstanceChannel() {}
  // Returns true when the program has asked to be started again with administrator rights
  // and must end now.
  virtual bool RestartElevatedIfRequested() { return false; }
  // Returns true when another instance runs: it has been asked to show itself and this one
  // must end now.
  virtual bool HandOverToRunningInstance() { return false; }
  virtual void LoadLockState() {}
  virtual void StartLauncherWatcher() {}

  // End. `user_quit`: Exiting was set.
  virtual void StopLauncher(bool user_quit) {}
  // After the main window is gone: a requested restart with administrator rights.
  virtual void RestartIfRequested() {}
  // Last: tell the channel listener to stop, write the lock state.
  virtual void OnProcessEnd() {}

  static AppLifecycle& None();
};
