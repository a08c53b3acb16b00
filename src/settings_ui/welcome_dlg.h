#pragma once

#include <functional>

#include "framework/dialog.h"

// The first-run window (template 229): the most important switches in one place, applied
// together by "开启健康之旅". Green, layered, above other windows, dragged by its client
// area; it grows from its centre when it opens. Cancel (Escape, the close request) closes
// it without writing anything.
//
// User-interface thread only. `rebuild_filters` (the main window's two keyword filters) is
// called from OK and must stay valid while the window is open.
class CWelcomeDlg : public CDialog {
 public:
  explicit CWelcomeDlg(std::function<void()> rebuild_filters);

 protected:
  bool OnInit() override;
  void OnOk() override;
  bool OnCommand(int id) override;

 private:
  // The boxes from the settings and their caches.
  void LoadChoices();
  bool Checked(int id);

  std::function<void()> rebuild_filters_;
};
