#pragma once

#include <map>
#include <mutex>
#include <string>

#include "platform/file_system.h"

// Files kept in memory, for tests. Paths are taken as given. Thread-safe.
class MemoryFileSystem : public FileSystem {
 public:
  std::optional<std::string> ReadAll(std::string_view path) override {
    std::lock_guard lock(mu_);
    auto found = files_.find(std::string(path));
    if (found == files_.end()) return std::nullopt;
    return found->second;
  }
  bool Replace(std::string_view path, std::string_view data) override {
    std::lock_guard lock(mu_);
    ++writes_;
    if (fail_writes_) return false;
    files_[std::string(path)] = std::string(data);
    return true;
  }
  // A file, or a folder holding one.
  bool Exists(std::string_view path) override {
    std::lock_guard lock(mu_);
    std::string file(path), folder = file + "\\";
    auto inside = files_.lower_bound(folder);
    return files_.count(file) > 0 || (inside != files_.end() && inside->first.starts_with(folder));
  }
  bool Remove(std::string_view path) override {
    std::lock_guard lock(mu_);
    return files_.erase(std::string(path)) > 0;
  }

  void Put(const std::string& path, const std::string& data) { Replace(path, data); }
  std::string Get(const std::string& path) { return ReadAll(path).value_or("<missing>"); }
  bool Has(const std::string& path) { return ReadAll(path).has_value(); }
  // Every later Replace fails, as on a full disk.
  void FailWrites(bool fail) {
    std::lock_guard lock(mu_);
    fail_writes_ = fail;
  }
  int Writes() {
    std::lock_guard lock(mu_);
    return writes_;
  }

 private:
  std::mutex mu_;
  std::map<std::string, std::string> files_;
  bool fail_writes_ = false;
  int writes_ = 0;
};
