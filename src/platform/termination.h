#pragma once

// A request to end a program that has no window: the user's own (Ctrl+C in its terminal),
// or one from outside (a service manager's stop, the terminal going away, another program).

enum class TerminationRequest {
  kByUser,       // Ctrl+C
  kFromOutside,  // a stop or hang-up signal, or RequestTermination
};

// Call at the start of main, before any other thread starts, so the request reaches the
// waiting thread and not some other one.
void PrepareForTerminationRequest();

// Blocks until a request arrives and says whose it is.
TerminationRequest WaitForTerminationRequest();

// Makes a request from outside from within the program, which wakes
// WaitForTerminationRequest (for a program that ended by itself and must stop its waiting
// thread).
void RequestTermination();
