#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/seam.h"

// Whole-file access to the program's data files. Paths are the program's relative names
// with backslashes ("Data\\word.kezo"), resolved against the working directory; the POSIX
// implementation turns each backslash into a slash. Absolute paths are accepted too.
// Thread-safe; concurrent writes of one path leave one of the contents whole.
class FileSystem : public Seam<FileSystem> {
 public:
  virtual ~FileSystem() = default;

  // The whole content, or nullopt when the file is missing or cannot be read.
  virtual std::optional<std::string> ReadAll(std::string_view path) = 0;

  // Replaces the file's content with `data`. The bytes go to a temporary file in the same
  // folder, are flushed, and the temporary is renamed over `path`, so a failure or a crash
  // at any point leaves either the old or the new content, never a mixture. Returns false
  // (old file untouched) when any step fails. The folder must exist.
  virtual bool Replace(std::string_view path, std::string_view data) = 0;

  // Whether a file or a folder exists at `path`.
  virtual bool Exists(std::string_view path) = 0;

  // Removes the file; false when it did not exist or could not be removed.
  virtual bool Remove(std::string_view path) = 0;

  static FileSystem& System();
};
