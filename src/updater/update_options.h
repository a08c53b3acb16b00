#pragma once

#include <string>
#include <vector>

// What one run of Updater is asked to do, read from its command line.
struct UpdateOptions {
  bool hidden = false;          // "-h": show nothing unless an update is available
  bool program_update = false;  // "-u": the program update instead of the data update
  std::u16string version;       // the caller's version; empty when not given
};

// Reads the switches, each a separate argument: "-h" and "-u" exactly (case-sensitive);
// any argument that contains "-v" gives the version. The version is the text after "-v="
// when the argument is "-v=" followed by 1 to 15 characters, and empty for any other
// argument containing "-v" (so a malformed one never passes a cut or shifted version).
// The last version argument wins.
UpdateOptions ParseUpdateOptions(const std::vector<std::u16string>& arguments);
