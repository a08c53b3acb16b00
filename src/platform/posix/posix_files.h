#pragma once

#include <optional>
#include <string>
#include <string_view>

// File primitives shared by the POSIX services.

// The program's relative name with each backslash turned into a slash.
std::string NativePath(std::string_view path);

// The whole content of a file, or nullopt when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& native_path);

// Writes `data` to a fresh temporary file beside `native_path`, flushes it to disk and
// renames it over `native_path`. On any failure the temporary is removed, the old file is
// left as it was and false is returned.
bool ReplaceFileAtomically(const std::string& native_path, std::string_view data);
