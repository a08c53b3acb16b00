#pragma once

#include "framework/win32/windows_include.h"

#include <atomic>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "framework/ui_backend.h"

// The window-system backend: dialogs from the program's numbered templates, the message
// loop, common controls, message boxes, menus, pictures (GDI+), the common dialogs and the
// hosting of the web-browser control.
//
// Construct it once, on the thread that is to be the user-interface thread, before any
// dialog opens; it registers the common control classes and the browser host's class and
// initialises OLE for that thread.
class Win32Ui : public UiBackend {
 public:
  Win32Ui();
  ~Win32Ui() override;

  std::unique_ptr<DialogWindow> CreateModeless(CDialog& dialog, int template_id, CDialog* parent) override;
  std::unique_ptr<DialogWindow> CreateChild(CDialog& dialog, int template_id, CDialog& host, int control_id) override;
  int RunModal(CDialog& dialog, int template_id, CDialog* parent) override;
  int ShowMessageBox(const MessageBoxRequest& request, CDialog* owner) override;
  std::optional<MenuModel> LoadPopupMenu(int menu_id) override;
  std::u16string LoadString(int id) override;
  ImagePtr LoadImage(std::u16string_view path) override;
  bool IsFontInstalled(std::u16string_view face) override;
  Rect ScreenRect() override;
  Rect WorkArea() override;
  Color SystemColorOf(SystemColor which) override;
  std::optional<std::u16string> ChooseFile(const FileDialogRequest& request, CDialog* owner) override;
  std::optional<Color> ChooseColor(Color initial, CDialog* owner) override;
  int RunMessageLoop() override;
  void QuitMessageLoop(int exit_code) override;
  UiDispatcher& Dispatcher() override { return dispatcher_; }

  // Modeless dialogs take their keyboard navigation from the message loop.
  void AddModeless(HWND window) { modeless_.insert(window); }
  void RemoveModeless(HWND window) { modeless_.erase(window); }

  // The window handle of an open dialog; nullptr when it is closed. For tests.
  static HWND HandleOf(const CDialog& dialog);

 private:
  static LRESULT CALLBACK TaskWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void Wake();

  HWND task_window_ = nullptr;
  std::atomic<bool> wake_pending_{false};
  UiDispatcher dispatcher_;
  std::set<HWND> modeless_;
  bool ole_started_ = false;
};
