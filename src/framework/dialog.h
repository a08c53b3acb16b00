#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "framework/dialog_window.h"
#include "framework/ui_types.h"

// The base of every dialog of the program: a dialog built from a numbered template whose
// behaviour (what each click, timer and message does) lives in the derived class, which
// reaches its controls by number through window() and never touches a window handle.
//
// Shape: callers set inputs as plain fields, open the dialog (DoModal or Create) and read
// the results after kIdOk. The derived class overrides the On... hooks. Everything runs on
// the user-interface thread.
class CDialog {
 public:
  explicit CDialog(int template_id) : template_id_(template_id) {}
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Runs the dialog modally; returns the result it ended with (kIdOk, kIdCancel, ...), or
  // -1 when its window could not be created.
  int DoModal(CDialog* parent = nullptr);
  // Opens the dialog modeless; false when its window could not be created.
  bool Create(CDialog* parent = nullptr);
  // Opens the dialog as a child window inside control `control_id` of the open dialog
  // `host` (a page inside a tab control, say); false when either window is missing or the
  // child cannot be created. The child goes when the host's window goes.
  bool CreateInside(CDialog& host, int control_id);
  // Destroys a modeless dialog's window (OnDestroy runs); nothing when it is not open.
  void DestroyWindow();

  bool IsOpen() const { return window_ != nullptr; }
  int TemplateId() const { return template_id_; }
  // The open window, nullptr when closed. For the backends and for tests.
  DialogWindow* Window() const { return window_; }

  // When set, destroying this dialog's window ends the message loop (the program's main
  // window).
  void SetQuitsOnDestroy(bool quits) { quits_on_destroy_ = quits; }

  // Entry points for the backends, each on the user-interface thread.
  bool HandleInit(DialogWindow& window);
  void HandleCommand(int id);
  void HandleTimer(int id) { OnTimer(id); }
  void HandleControlEvent(int id, ControlEvent event, std::u16string_view detail) { OnControlEvent(id, event, detail); }
  bool HandlePrivateMessage(uint32_t message, uintptr_t wparam, intptr_t lparam) {
    return OnPrivateMessage(message, wparam, lparam);
  }
  void HandleTrayEvent(int icon_id, TrayEvent event) { OnTrayEvent(icon_id, event); }
  void HandleHotKey(int id) { OnHotKey(id); }
  // Returns true when the dialog took the command over; otherwise the window does what
  // the system would (close: as Cancel; minimise: minimise).
  bool HandleSysCommand(SysCommand command) { return OnSysCommand(command); }
  bool HandleQueryEndSession() { return OnQueryEndSession(); }
  // A double click on the dialog's own surface (not on a control that takes clicks).
  void HandleDoubleClick() { OnDoubleClick(); }
  // The window is gone: OnDestroy runs and the dialog counts as closed.
  void HandleDestroyed();

 protected:
  // Controls are ready; return false to leave the focus where OnInit put it.
  virtual bool OnInit() { return true; }
  // The OK button (id 1) and Enter.
  virtual void OnOk() { End(kIdOk); }
  // The Cancel button (id 2), Escape and the close box.
  virtual void OnCancel() { End(kIdCancel); }
  // A button click or menu command; return whether it was handled.
  virtual bool OnCommand(int id) { return false; }
  virtual void OnTimer(int id) {}
  virtual void OnControlEvent(int id, ControlEvent event, std::u16string_view detail) {}
  // A private window message (WM_USER and above) sent or posted to the window.
  virtual bool OnPrivateMessage(uint32_t message, uintptr_t wparam, intptr_t lparam) { return false; }
  virtual void OnTrayEvent(int icon_id, TrayEvent event) {}
  virtual void OnHotKey(int id) {}
  virtual bool OnSysCommand(SysCommand command) { return false; }
  // The user's session is about to end; return whether it may.
  virtual bool OnQueryEndSession() { return true; }
  virtual void OnDoubleClick() {}
  virtual void OnDestroy() {}

  // The open window; only while IsOpen().
  DialogWindow& window() const { return *window_; }
  // Ends a modal dialog with `result`, or destroys a modeless one.
  void End(int result);
  // A message box owned by this dialog; the caption defaults to the application title.
  int MessageBox(std::u16string_view text, std::u16string_view caption = {},
                 MessageButtons buttons = MessageButtons::kOk, MessageIcon icon = MessageIcon::kNone);
  // The whole number in edit box `id` when it is one from `minimum` to `maximum`.
  // Otherwise the framework's message says what is wanted, the box gets the focus and
  // nothing is returned.
  std::optional<int> ReadIntInRange(int id, int minimum, int maximum);

 private:
  const int template_id_;
  DialogWindow* window_ = nullptr;
  std::unique_ptr<DialogWindow> modeless_window_;  // kept until reopened or destroyed
  bool quits_on_destroy_ = false;
};
