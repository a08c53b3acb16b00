#pragma once

#include <filesystem>
#include <random>
#include <string>

// A fresh folder that becomes the working directory for the lifetime of the object and is
// removed afterwards, so tests can use the program's relative names on real files.
class ScopedTempWorkingFolder {
 public:
  ScopedTempWorkingFolder() : previous_(std::filesystem::current_path()) {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() / ("kezo-test-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path_ / "Data");
    std::filesystem::current_path(path_);
  }
  ~ScopedTempWorkingFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  ScopedTempWorkingFolder(const ScopedTempWorkingFolder&) = delete;
  ScopedTempWorkingFolder& operator=(const ScopedTempWorkingFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};
