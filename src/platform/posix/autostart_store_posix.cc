// Autostart on a Linux desktop: the user's XDG autostart entry "kezo.desktop", which every
// desktop that follows the XDG autostart convention runs at log-in.
#include "platform/autostart_store.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/code_page.h"
#include "platform/file_system.h"

namespace {

std::filesystem::path AutostartFolder() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/') {
    return std::filesystem::path(config) / "autostart";
  }
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr ? home : "") / ".config" / "autostart";
}

std::string EntryPath() { return (AutostartFolder() / "kezo.desktop").string(); }

// A word of an Exec line: double quotes, with the characters the format reserves escaped.
std::string ExecWord(std::string_view word) {
  std::string quoted = "\"";
  for (char c : word) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    if (c == '%') quoted += '%';  // field codes start with '%'
    quoted += c;
  }
  return quoted + "\"";
}

class XdgAutostartStore : public AutostartStore {
 public:
  bool UsesScheduledTask() override { return false; }
  void DeleteTask() override {}
  bool TaskExists() override { return false; }

  Result WriteEntry(std::u16string_view program_path, std::u16string_view switches, int* error) override {
    std::error_code failure;
    std::filesystem::create_directories(AutostartFolder(), failure);
    std::string entry = "[Desktop Entry]\nType=Application\nName=Veltra\nComment=Web content filter\nExec=" +
                        ExecWord(WideToUtf8(program_path)) + " " + WideToUtf8(switches) +
                        "\nX-GNOME-Autostart-enabled=true\n";
    if (FileSystem::Current().Replace(EntryPath(), entry)) return Result::kDone;
    *error = errno;
    return errno == EACCES || errno == EPERM ? Result::kAccessDenied : Result::kFailed;
  }
  void DeleteEntry() override { FileSystem::Current().Remove(EntryPath()); }
  bool EntryExists() override { return FileSystem::Current().Exists(EntryPath()); }
};

}  // namespace

AutostartStore& AutostartStore::System() {
  static XdgAutostartStore store;
  return store;
}
