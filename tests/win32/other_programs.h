#pragma once

// Other programs as the Windows tests see them: their top-level windows, their processes by
// image name, waiting for a condition, and a free port to give them.
#include "framework/win32/windows_include.h"

#include <tlhelp32.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/sockets.h"

// The top-level windows of `process`, as class name, title and handle.
struct TopWindow {
  std::wstring kind;
  std::wstring title;
  HWND handle;
};

inline std::vector<TopWindow> TopWindowsOf(DWORD process) {
  struct Search {
    DWORD process;
    std::vector<TopWindow> found;
  } search{process, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* search = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != search->process) return TRUE;
        wchar_t kind[64] = {}, title[64] = {};
        GetClassNameW(window, kind, 64);
        GetWindowTextW(window, title, 64);
        search->found.push_back(TopWindow{kind, title, window});
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline HWND FindWindowOf(DWORD process, const wchar_t* title, const wchar_t* kind = nullptr) {
  for (const TopWindow& window : TopWindowsOf(process)) {
    if (window.title == title && (kind == nullptr || window.kind == kind)) return window.handle;
  }
  return nullptr;
}


// The first top-level window of `process` for which `wanted` holds.
inline HWND FindTopWindowOf(DWORD process, const std::function<bool(HWND)>& wanted) {
  for (const TopWindow& window : TopWindowsOf(process)) {
    if (wanted(window.handle)) return window.handle;
  }
  return nullptr;
}

// The ids of the running processes of image `name`.
inline std::vector<DWORD> ProcessIdsOf(const wchar_t* name) {
  std::vector<DWORD> ids;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (lstrcmpiW(entry.szExeFile, name) == 0) ids.push_back(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  return ids;
}

inline void EndAll(const wchar_t* name) {
  for (DWORD id : ProcessIdsOf(name)) {
    if (HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, id)) {
      TerminateProcess(process, 1);
      WaitForSingleObject(process, 10000);
      CloseHandle(process);
    }
  }
}

// Polls `condition` every 50 ms for up to `seconds`.
inline bool WaitFor(const std::function<bool()>& condition, int seconds = 30) {
  for (int i = 0; i < seconds * 20 && !condition(); ++i) Sleep(50);
  return condition();
}

// A free TCP port of this machine (bound, read back and released).
inline uint16_t FreePort() {
  int error = 0;
  SocketHandle socket = ListenTcp(0, &error);
  uint16_t port = socket != kNoSocket ? LocalPort(socket) : 0;
  if (socket != kNoSocket) CloseSocket(socket);
  return port;
}
