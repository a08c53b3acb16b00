#pragma once

#include <string_view>

#include "base/seam.h"

// The desktop's "open" action: a web address goes to the user's default browser, a file to
// the program registered for it. Thread-safe.
class Shell : public Seam<Shell> {
 public:
  virtual ~Shell() = default;

  // Opens `target` shown normally and does not wait. Returns whether the system accepted
  // the request (not whether the page loaded).
  virtual bool Open(std::u16string_view target) = 0;

  static Shell& System();
};
