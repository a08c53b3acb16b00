#pragma once

// Starting and stopping the window patrol (the thread that closes windows whose titles hold
// banned words). User-interface thread. The default starts nothing.
class WindowPatrolControl {
 public:
  virtual ~WindowPatrolControl() = default;

  virtual void Start() {}
  // Stops the patrol; when it returns the patrol thread no longer uses what it was given.
  virtual void Stop() {}

  static WindowPatrolControl& None();
};
