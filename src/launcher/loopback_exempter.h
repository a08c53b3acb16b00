#pragma once

#include <functional>

// Store applications may not reach the loopback interface, so their traffic would bypass
// the local proxy: two minutes after the start, every app container registered for the
// user gets a loopback exemption from the system's own tool. Runs once; does nothing where
// the system has no app containers.
class LoopbackExempter {
 public:
  // `sleep` sleeps the given milliseconds (a test passes one that does not wait).
  explicit LoopbackExempter(std::function<void(int)> sleep) : sleep_(std::move(sleep)) {}

  // Does the work on the calling thread.
  void Run();

 private:
  std::function<void(int)> sleep_;
};
