#include "platform/url_cache.h"

namespace {

// Browsers on POSIX keep private caches that no system call reaches.
class PosixUrlCache : public UrlCache {
 public:
  void Remove(std::u16string_view) override {}
};

}  // namespace

UrlCache& UrlCache::System() {
  static PosixUrlCache cache;
  return cache;
}
