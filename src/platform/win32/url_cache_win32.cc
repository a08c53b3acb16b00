#include "platform/url_cache.h"

#include <windows.h>
#include <wininet.h>

#include "platform/win32/wide_text.h"

namespace {

class WinInetUrlCache : public UrlCache {
 public:
  void Remove(std::u16string_view url) override {
    std::wstring text = ToWideString(url);
    DeleteUrlCacheEntryW(text.c_str());
  }
};

}  // namespace

UrlCache& UrlCache::System() {
  static WinInetUrlCache cache;
  return cache;
}
