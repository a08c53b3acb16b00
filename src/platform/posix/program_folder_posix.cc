#include "platform/program_folder.h"

#include <limits.h>
#include <unistd.h>

std::string ProgramFolder() {
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  std::string folder(path, static_cast<size_t>(length));
  return folder.substr(0, folder.rfind('/'));
}

bool EnterProgramFolder() {
  std::string folder = ProgramFolder();
  return !folder.empty() && chdir(folder.c_str()) == 0;
}
