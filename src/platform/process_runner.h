#pragma once

#include <optional>
#include <string_view>

#include "base/seam.h"

// Starting the program's companion programs (found in the working folder by their names
// in the product, "Updater.exe"; on POSIX the ".exe" is left off) and waiting for them.
// Thread-safe.
class ProcessRunner : public Seam<ProcessRunner> {
 public:
  virtual ~ProcessRunner() = default;

  // Whether the program file exists in the working folder.
  virtual bool Exists(std::string_view program) = 0;

  // Starts the program with `arguments` (words separated by spaces), shown normally or
  // hidden, waits until it ends and returns its exit code; nullopt when it cannot be
  // started.
  virtual std::optional<int> RunAndWait(std::string_view program, std::u16string_view arguments, bool shown) = 0;

  // Starts the program like RunAndWait but does not wait for it; false when it cannot be
  // started.
  virtual bool Start(std::string_view program, std::u16string_view arguments, bool shown) = 0;

  static ProcessRunner& System();
};
