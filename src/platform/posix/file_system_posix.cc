#include "platform/file_system.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/posix_files.h"

namespace {

class PosixFileSystem : public FileSystem {
 public:
  std::optional<std::string> ReadAll(std::string_view path) override {
    return ReadWholeFile(NativePath(path));
  }
  bool Replace(std::string_view path, std::string_view data) override {
    return ReplaceFileAtomically(NativePath(path), data);
  }
  bool Exists(std::string_view path) override {
    struct stat info {};
    return stat(NativePath(path).c_str(), &info) == 0;
  }
  bool Remove(std::string_view path) override { return unlink(NativePath(path).c_str()) == 0; }
};

}  // namespace

FileSystem& FileSystem::System() {
  static PosixFileSystem files;
  return files;
}
