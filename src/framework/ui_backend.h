#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "framework/dialog_window.h"
#include "framework/image.h"
#include "framework/menu_model.h"
#include "framework/ui_dispatcher.h"
#include "framework/ui_types.h"

class CDialog;

// The process-wide side of a backend: opening dialogs, message boxes, resources, pictures,
// common dialogs and the message loop. The win32 backend uses the real window system; the
// headless backend keeps everything in memory (see headless/headless_ui.h).
//
// Used on the user-interface thread, except Dispatcher(), which any thread may use.
class UiBackend {
 public:
  virtual ~UiBackend() = default;

  // Creates the window of a modeless dialog from template `template_id` and runs the
  // dialog's initialisation. Returns nullptr when the window cannot be created.
  virtual std::unique_ptr<DialogWindow> CreateModeless(CDialog& dialog, int template_id, CDialog* parent) = 0;
  // Creates the window of `dialog` from template `template_id` as a child of control
  // `control_id` of the open dialog `host`, and runs the dialog's initialisation. The
  // template's own visibility holds. Returns nullptr when the window cannot be created.
  virtual std::unique_ptr<DialogWindow> CreateChild(CDialog& dialog, int template_id, CDialog& host,
                                                    int control_id) = 0;
  // Runs a modal dialog from template `template_id` until it ends; returns its result, or
  // -1 when the window cannot be created.
  virtual int RunModal(CDialog& dialog, int template_id, CDialog* parent) = 0;

  // Shows a message box and returns the button pressed (kIdOk, kIdCancel, ...).
  virtual int ShowMessageBox(const MessageBoxRequest& request, CDialog* owner) = 0;

  // The first pop-up of menu resource `menu_id`; nullopt when there is none.
  virtual std::optional<MenuModel> LoadPopupMenu(int menu_id) = 0;
  // String-table entry `id`; empty when there is none.
  virtual std::u16string LoadString(int id) = 0;
  // Loads a picture file (path relative to the working folder); nullptr when it cannot be
  // read or decoded.
  virtual ImagePtr LoadImage(std::u16string_view path) = 0;
  // The primary screen and its work area (the screen without the task bar), in pixels.
  virtual Rect ScreenRect() = 0;
  virtual Rect WorkArea() = 0;
  // The colour the user's scheme gives `which`.
  virtual Color SystemColorOf(SystemColor which) = 0;
  // Whether a font of the face `face` is installed.
  virtual bool IsFontInstalled(std::u16string_view face) = 0;

  // Common dialogs; nullopt when cancelled.
  virtual std::optional<std::u16string> ChooseFile(const FileDialogRequest& request, CDialog* owner) = 0;
  virtual std::optional<Color> ChooseColor(Color initial, CDialog* owner) = 0;

  // Runs the message loop until QuitMessageLoop; returns its exit code.
  virtual int RunMessageLoop() = 0;
  virtual void QuitMessageLoop(int exit_code) = 0;

  // Work for the user-interface thread from other threads.
  virtual UiDispatcher& Dispatcher() = 0;
};

// The backend of this process; InstallUiBackend must have run.
UiBackend& Ui();
// Installs `backend` (nullptr: none) and returns the previous one. Install before any
// dialog opens; remove after the last has closed.
UiBackend* InstallUiBackend(UiBackend* backend);

class ScopedUiBackend {
 public:
  explicit ScopedUiBackend(UiBackend& backend) : previous_(InstallUiBackend(&backend)) {}
  ~ScopedUiBackend() { InstallUiBackend(previous_); }
  ScopedUiBackend(const ScopedUiBackend&) = delete;
  ScopedUiBackend& operator=(const ScopedUiBackend&) = delete;

 private:
  UiBackend* previous_;
};
