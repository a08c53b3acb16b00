#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/kezo_dialogs.h"
#include "core/kezo_dlg.h"
#include "core/kezo_forced_mode.h"
#include "core/window_patrol.h"
#include "framework/application.h"
#include "rules/shared_lists.h"

class AppLifecycle;

// The main program as an application: its start (sockets, profile root, working folder,
// the main window, the command line) and its exit step around the message loop.
//
// Run() on the user-interface thread, with a UI backend installed.
class CKEZOApp : public CApplication {
 public:
  // `arguments`: the command line after the program name. `lifecycle` and the main
  // window's collaborators must outlive the application.
  CKEZOApp(std::vector<std::u16string> arguments, AppLifecycle& lifecycle,
           CKEZODlg::Collaborators collaborators = {});
  explicit CKEZOApp(std::vector<std::u16string> arguments);
  ~CKEZOApp() override;

  CKEZODlg* MainDialog() { return main_.get(); }
  // Has the main window handle `message` on the user-interface thread (nothing once it is
  // gone). Any thread.
  void PostToMainWindow(uint32_t message);
  SharedLists& Lists() { return lists_; }

  // Whether `switch_text` is among the arguments; exact, case-sensitive comparison.
  static bool HasSwitch(const std::vector<std::u16string>& arguments, std::u16string_view switch_text);

 protected:
  bool InitInstance() override;
  int ExitInstance() override;

 private:
  std::vector<std::u16string> arguments_;
  AppLifecycle& lifecycle_;
  CKEZODlg::Collaborators collaborators_;
  KezoDialogs dialogs_;  // unless the collaborators name others
  KezoForcedMode forced_mode_;  // likewise
  CWindowPatrol patrol_;  // likewise; outlives the main window, whose filters it reads
  SharedLists lists_;
  std::unique_ptr<CKEZODlg> main_;
};
