#pragma once

#include <functional>

#include "framework/dialog.h"

// The first-run window (template 229): the most important switches in one place, applied
// together by "开启健康之旅". Green, layered, above other windows, dragged by its client
// area; it grows from its centre when it opens. Cancel (Escape, the close request) closes
// it without writing anything.
//
// Autostart follows the basic page's rules: the forced mode keeps it on, and changing the
// system's entry needs administrator rights. Without them OK applies every other choice,
// says so and asks for the program to come back elevated.
//
// User-interface thread only. `rebuild_filters` (the main window's two keyword filters) and
// `restart_elevated` are called from OK and must stay valid while the window is open.
class CWelcomeDlg : public CDialog {
 public:
  CWelcomeDlg(std::function<void()> rebuild_filters, std::function<void()> restart_elevated);

 protected:
  bool OnInit() override;
  void OnOk() override;
  bool OnCommand(int id) override;

 private:
  // The boxes from the settings and their caches.
  void LoadChoices();
  bool Checked(int id);
  // Applies the autostart box; false when that needs rights the program lacks (the entry
  // is then left as it is).
  bool ApplyAutostart();

  std::function<void()> rebuild_filters_;
  std::function<void()> restart_elevated_;
};
