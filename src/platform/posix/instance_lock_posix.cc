#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/code_page.h"

namespace {

class FileInstanceLock : public InstanceLock {
 public:
  explicit FileInstanceLock(int fd) : fd_(fd) {}
  ~FileInstanceLock() override { close(fd_); }

 private:
  int fd_;
};

// The user's runtime folder, else a name of the user's own in /tmp.
std::string LockPath(std::u16string_view name) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/veltra-" + WideToUtf8(name) + ".lock";
  return "/tmp/veltra-" + std::to_string(getuid()) + "-" + WideToUtf8(name) + ".lock";
}

}  // namespace

std::unique_ptr<InstanceLock> InstanceLock::Create(std::u16string_view name, bool initially_owned, bool* existed) {
  *existed = false;
  int fd = open(LockPath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) *existed = true;
  return std::make_unique<FileInstanceLock>(fd);
}
