#include "platform/posix/posix_files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace {

bool WriteFully(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t written = write(fd, data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

// New files get the usual permissions (0666 less the umask) rather than mkstemp's 0600.
void ApplyDefaultMode(int fd) {
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
}

}  // namespace

std::string NativePath(std::string_view path) {
  std::string native(path);
  std::replace(native.begin(), native.end(), '\\', '/');
  return native;
}

std::optional<std::string> ReadWholeFile(const std::string& native_path) {
  int fd = open(native_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    close(fd);
    return std::nullopt;
  }
  std::string content;
  content.reserve(static_cast<size_t>(std::max<off_t>(info.st_size, 0)));
  char buffer[65536];
  for (;;) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      close(fd);
      return std::nullopt;
    }
    if (got == 0) break;
    content.append(buffer, static_cast<size_t>(got));
  }
  close(fd);
  return content;
}

bool ReplaceFileAtomically(const std::string& native_path, std::string_view data) {
  std::string temp_template = native_path + ".tmp.XXXXXX";
  std::vector<char> temp_name(temp_template.begin(), temp_template.end());
  temp_name.push_back('\0');
  int fd = mkostemp(temp_name.data(), O_CLOEXEC);
  if (fd < 0) return false;
  ApplyDefaultMode(fd);
  bool ok = WriteFully(fd, data) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (ok && rename(temp_name.data(), native_path.c_str()) == 0) return true;
  unlink(temp_name.data());
  return false;
}
