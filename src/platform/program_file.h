#pragma once

#include <string>

// The running program's file: its full path, and the product version recorded in it (its
// version resource on Windows; the build's version on POSIX).
struct ProgramVersion {
  bool ok = false;
  std::u16string version;         // "1.0.0.1" when ok
  std::u16string failed_call;     // otherwise the call that failed ("GetFileVersionInfo", "VerQueryValue")
  int error = 0;                  // and the system's error number
  std::u16string error_text;      // and the system's text for it
};

ProgramVersion ReadProgramVersion();

// The full path of the running program's file; empty when the system cannot tell.
std::u16string ProgramFilePath();
