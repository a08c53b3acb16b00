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

  static SystemShutdown& System();
};
