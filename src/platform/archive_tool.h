#pragma once

#include <string_view>

#include "base/seam.h"

// The external 7-Zip command-line program that unpacks data packs: "7z.exe" in the
// working folder on Windows, the system's "7z" (Debian's p7zip-full) on POSIX. Thread-safe.
class ArchiveTool : public Seam<ArchiveTool> {
 public:
  // The longest the tool may run; it is then ended and the call fails.
  static constexpr int kTimeoutMs = 10 * 60 * 1000;

  virtual ~ArchiveTool() = default;

  // Extracts every file of `archive` into `folder` (both relative to the working folder),
  // without the archive's folder paths, overwriting files without asking; runs the tool
  // hidden and waits for it. Returns whether the tool ran and reported success. Since the
  // folder paths are dropped, no entry of the archive can land outside `folder`.
  virtual bool ExtractFlat(std::string_view archive, std::string_view folder) = 0;

  // Adds `folder` with everything in it to the archive `archive` (both relative to the
  // working folder, or absolute; local code page), in the tool's own format; an existing
  // archive is added to, so callers name a fresh file. Runs the tool hidden and waits for
  // it. Returns whether the tool ran and reported success.
  virtual bool ArchiveFolder(std::string_view archive, std::string_view folder) = 0;

  static ArchiveTool& System();
};
