#pragma once

#include <string>

// The folder that holds the running program, without a trailing separator; empty when the
// system cannot tell.
std::string ProgramFolder();

// Makes the program's folder the working directory, so the program's relative names
// ("Data\\word.kezo") resolve beside it. Returns false when that fails.
bool EnterProgramFolder();
