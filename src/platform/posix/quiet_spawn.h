#pragma once

#include <sys/types.h>

// Starts the program `argv[0]` (found on the search path) with the arguments `argv`
// (ending in nullptr), its standard input, output and error on /dev/null, so it never
// waits for input and its output stays out of ours. Returns the child's process id, or -1
// when it cannot be started.
pid_t SpawnQuietly(char* const argv[]);
