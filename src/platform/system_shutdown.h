#pragma once

#include "base/seam.h"

// Turning the computer off. Thread-safe.
class SystemShutdown : public Seam<SystemShutdown> {
 public:
  virtual ~SystemShutdown() = default;

  // Shuts the computer down at once, closing programs that would hold it up. Returns false
  // when the process may not do so (the shutdown right cannot be taken) or the system
  // refuses; true once the shutdown is under way.
  virtual bool ForceShutdown() = 0;
  // Asks the system to shut down as the user's own shutdown would: not forced, so programs
  // may still ask to save their work. Returns false when the shutdown right cannot be
  // taken or the system refuses the request.
  virtual bool RequestShutdown() = 0;

  static SystemShutdown& System();
};
