#include "platform/termination.h"

#include <signal.h>
#include <unistd.h>

namespace {

sigset_t TerminationSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  return signals;
}

}  // namespace

void PrepareForTerminationRequest() {
  sigset_t signals = TerminationSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

TerminationRequest WaitForTerminationRequest() {
  sigset_t signals = TerminationSignals();
  int received = 0;
  sigwait(&signals, &received);
  return received == SIGINT ? TerminationRequest::kByUser : TerminationRequest::kFromOutside;
}

void RequestTermination() { kill(getpid(), SIGTERM); }
