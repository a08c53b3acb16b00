#pragma once

#include <filesystem>

// Backup and restore of the program's data folder (Data\, beside the working folder)
// through the archiver (ArchiveTool). Both block for as long as the archiver runs, within
// its bound: call them off the user-interface thread. Thread-compatible.

// Writes a new archive of the data folder at `archive`. The archiver writes beside it first
// and the result replaces `archive` only when the archiver reports success, so an old
// backup is never added to (entries deleted since would come back on restore) and a
// failure leaves it as it was. Returns whether the new archive is in place.
bool BackUpDataFolder(const std::filesystem::path& archive);

// Puts every file of `archive` into the data folder, without the archive's folder names,
// replacing files of the same name. The files are unpacked into a folder of their own
// first, so the data folder changes only when the archiver reports success. Returns
// whether the files are in place.
bool RestoreDataFolder(const std::filesystem::path& archive);
