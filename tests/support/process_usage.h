#pragma once

#include <sys/resource.h>

#include <cstddef>
#include <fstream>
#include <string>

// What the test process uses of the machine (POSIX only): open-file limit and resident
// memory, for tests that hold thousands of connections or measure a memory peak.

// Raises the soft limit on open files towards `wanted` (never above the hard limit) and
// returns the soft limit in force afterwards.
inline size_t RaiseOpenFileLimit(size_t wanted) {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
  if (limit.rlim_cur < wanted) {
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : std::min<rlim_t>(wanted, limit.rlim_max);
    setrlimit(RLIMIT_NOFILE, &limit);
    getrlimit(RLIMIT_NOFILE, &limit);
  }
  return static_cast<size_t>(limit.rlim_cur);
}

// A field of /proc/self/status in bytes ("VmRSS", "VmHWM"); 0 when unknown.
inline size_t ProcessStatusBytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string name;
  size_t kilobytes = 0;
  while (status >> name) {
    if (name == field + ":") {
      status >> kilobytes;
      return kilobytes * 1024;
    }
    std::getline(status, name);
  }
  return 0;
}

// Starts a new resident-memory peak at the current use; false when the system cannot.
inline bool ResetResidentPeak() {
  std::ofstream clear_refs("/proc/self/clear_refs");
  clear_refs << "5";
  clear_refs.close();
  return clear_refs.good();
}
