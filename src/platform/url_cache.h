#pragma once

#include <string_view>

#include "base/seam.h"

// The system's browser cache of fetched addresses (WinINet's URL cache on Windows; POSIX
// has no shared one and ignores the calls). Thread-safe.
class UrlCache : public Seam<UrlCache> {
 public:
  virtual ~UrlCache() = default;

  // Drops any cached copy of `url` (taken as typed), so the next visit is fetched anew.
  virtual void Remove(std::u16string_view url) = 0;

  static UrlCache& System();
};
