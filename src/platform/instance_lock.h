#pragma once

#include <memory>
#include <string_view>

// A named token that one process of the user's session holds at a time: a named mutex on
// Windows, an exclusive lock on a file in the user's runtime folder on POSIX. Released
// when the object goes or the process ends.
class InstanceLock {
 public:
  virtual ~InstanceLock() = default;

  // Creates the token `name` (owned from the start when `initially_owned`, on Windows).
  // `existed` tells whether another process had it already. Null when the system cannot
  // create it at all.
  static std::unique_ptr<InstanceLock> Create(std::u16string_view name, bool initially_owned, bool* existed);
};
