// Launcher.exe: a hidden window whose threads keep KEZO.exe running and, two minutes after
// the start, exempt the store applications from the loopback block.
#include <windows.h>

#include <thread>

#include "launcher/loopback_exempter.h"
#include "launcher/main_program_watcher.h"
#include "launcher_resource.h"
#include "platform/win32/wide_text.h"

namespace {

void Report(std::u16string_view text) {
  std::wstring wide = ToWideString(text);
  MessageBoxW(nullptr, wide.c_str(), L"", MB_OK);
}

void SleepMs(int ms) { Sleep(static_cast<DWORD>(ms)); }

void StartWorkers() {
  std::thread([] { LoopbackExempter(SleepMs).Run(); }).detach();
  std::thread([] { MainProgramWatcher({Report, SleepMs}).Run(); }).detach();
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE: StartWorkers(); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  wchar_t title[100] = {};
  wchar_t class_name[100] = {};
  LoadStringW(instance, IDS_LAUNCHER_TITLE, title, 100);
  LoadStringW(instance, IDS_LAUNCHER_CLASS, class_name, 100);
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = WindowProcedure;
  window_class.hInstance = instance;
  window_class.lpszClassName = class_name;
  RegisterClassExW(&window_class);
  HWND window = CreateWindowW(class_name, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr,
                              nullptr, instance, nullptr);
  if (window == nullptr) return 0;
  ShowWindow(window, SW_HIDE);

  // A second Launcher ends before its threads do anything: the watcher first sleeps
  // 100 ms, the exempter two minutes.
  CreateMutexW(nullptr, FALSE, L"Launcher");
  if (GetLastError() == ERROR_ALREADY_EXISTS) ExitProcess(static_cast<UINT>(-1));

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
