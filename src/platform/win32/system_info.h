#pragma once

#include <string>
#include <vector>

// Facts about the running Windows system and program, for the win32 implementations and
// the programs' entry points.

// Whether the system reports version major.minor or later (as the version query reports
// it to this program).
bool WindowsVersionAtLeast(unsigned major, unsigned minor);

// The system's own words for an error number of GetLastError or WSAGetLastError, without
// the line break that ends them.
std::u16string SystemErrorText(unsigned long error);

// The program's command-line arguments after its own name.
std::vector<std::u16string> CommandLineArguments();
