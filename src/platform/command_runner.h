#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/seam.h"

// Runs a system command without a window and without a shell: the first word names the
// program (found on the search path), the others are its arguments. Thread-safe.
class CommandRunner : public Seam<CommandRunner> {
 public:
  virtual ~CommandRunner() = default;

  // Whether `program` is found on the search path.
  virtual bool Available(std::string_view program) = 0;

  // Runs the command hidden, its output discarded, and waits until it ends; after
  // `timeout_ms` it is ended and nullopt returned. Returns its exit code, or nullopt when it
  // cannot be started.
  virtual std::optional<int> Run(const std::vector<std::u16string>& words, int timeout_ms) = 0;

  static CommandRunner& System();
};
