#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/url_cache.h"

// Records the addresses whose cached copies the code asked to drop.
class RecordingUrlCache : public UrlCache {
 public:
  void Remove(std::u16string_view url) override {
    std::lock_guard lock(mu_);
    removed_.emplace_back(url);
  }
  std::vector<std::u16string> Removed() {
    std::lock_guard lock(mu_);
    return removed_;
  }

 private:
  std::mutex mu_;
  std::vector<std::u16string> removed_;
};
