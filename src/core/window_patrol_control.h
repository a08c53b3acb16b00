#pragma once

class CWordFilter;

// Starting and stopping the window patrol (the thread that closes windows whose titles hold
// banned words). User-interface thread. The default starts nothing.
class WindowPatrolControl {
 public:
  virtual ~WindowPatrolControl() = default;

  // Starts the patrol with the main window's two keyword filters, which must stay alive
  // until Stop returns; nothing when it runs already.
  virtual void Start(const CWordFilter& black, const CWordFilter& white) {}
  // Stops the patrol; when it returns the patrol thread no longer uses what it was given.
  virtual void Stop() {}

  static WindowPatrolControl& None();
};
