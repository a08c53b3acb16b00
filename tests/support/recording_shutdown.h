#pragma once

#include "platform/system_shutdown.h"

// A shutdown that only counts the requests: no test may turn a machine off.
class RecordingShutdown : public SystemShutdown {
 public:
  bool ForceShutdown() override {
    ++forced;
    return answer;
  }
  bool RequestShutdown() override {
    ++requested;
    return answer;
  }

  int forced = 0;     // forced shutdowns asked for
  int requested = 0;  // ordinary shutdown requests
  bool answer = true; // what the system answers
};
