#pragma once

#include <atomic>

// Process-wide one-way flags, read on any thread without locking.

// Set once when the servers are told to stop: every server loop ends and the filtered-item
// counter stops counting.
inline std::atomic<bool> ServersStopping{false};
// Set once the system proxy setting has been removed, so it is not removed twice.
inline std::atomic<bool> ProxyRestored{false};
