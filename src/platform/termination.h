#pragma once

// The user's request to end a program that has no window (Ctrl+C, a terminal closing, a
// service manager's stop).

// Call at the start of main, before any other thread starts, so the request reaches the
// waiting thread and not some other one.
void PrepareForTerminationRequest();

// Blocks until the request arrives.
void WaitForTerminationRequest();

// Makes the request from within the program, which wakes WaitForTerminationRequest (for a
// program that ended by itself and must stop its waiting thread).
void RequestTermination();
