#include "platform/program_file.h"

#include <limits.h>
#include <unistd.h>

#include "platform/code_page.h"

#include "kezo_version.h"

ProgramVersion ReadProgramVersion() {
  ProgramVersion result;
  result.ok = true;
  result.version = KEZO_VERSION_TEXT_U16;
  return result;
}

std::u16string ProgramFilePath() {
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  return Utf8ToWide(std::string_view(path, static_cast<size_t>(length)));
}
