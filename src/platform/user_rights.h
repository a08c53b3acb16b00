#pragma once

#include "base/seam.h"

// What the user running the program may do to the machine. Thread-safe.
class UserRights : public Seam<UserRights> {
 public:
  virtual ~UserRights() = default;

  // Whether the program runs with the rights of the local Administrators group, which the
  // machine-wide autostart entry and the program folder need. On Windows the process
  // token must hold that group enabled (an elevated token); on POSIX every user may, since
  // the autostart entry and the program's data are the user's own.
  virtual bool IsAdministrator() = 0;

  static UserRights& System();
};
