#include "platform/system_shutdown.h"

#include <windows.h>

namespace {

// Takes the shutdown right into the process token; false when it is not held.
bool EnableShutdownPrivilege() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  bool enabled = LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid) &&
                 AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
                 GetLastError() == ERROR_SUCCESS;  // ERROR_NOT_ALL_ASSIGNED: not held
  CloseHandle(token);
  return enabled;
}

class Win32SystemShutdown : public SystemShutdown {
 public:
  bool ForceShutdown() override {
    if (!EnableShutdownPrivilege()) return false;
    return ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_FLAG_PLANNED) != FALSE;
  }
  bool RequestShutdown() override {
    if (!EnableShutdownPrivilege()) return false;
    return ExitWindowsEx(EWX_SHUTDOWN, SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_FLAG_PLANNED) != FALSE;
  }
};

}  // namespace

SystemShutdown& SystemShutdown::System() {
  static Win32SystemShutdown shutdown;
  return shutdown;
}
