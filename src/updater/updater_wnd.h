#pragma once

#include <memory>
#include <optional>

#include "framework/dialog.h"
#include "updater/data_update.h"
#include "updater/update_dlg.h"
#include "updater/update_host.h"
#include "updater/update_options.h"

// Updater's main window, titled "Updater" and never shown; destroying it ends the program.
// When it opens it does the run's one job: without "-u" the data update, after which the
// program ends; with "-u" it opens the online-upgrade dialog, which shows itself (or not)
// and ends the program when it is done. Its menu's "更新配置" runs a data update, "退出"
// ends the program and "关于" does nothing. User-interface thread only.
class CUpdaterWnd : public CDialog {
 public:
  CUpdaterWnd(UpdateHost host, UpdateOptions options);
  ~CUpdaterWnd() override;

  // The online-upgrade dialog; nullptr during a data-update run.
  CUpdateDlg* UpdateDialog() { return update_dialog_.get(); }
  // The last data update's result; empty until one has run.
  const std::optional<DataUpdateResult>& LastDataUpdate() const { return last_data_update_; }

 protected:
  bool OnInit() override;
  bool OnCommand(int id) override;
  void OnOk() override {}
  void OnCancel() override { DestroyWindow(); }

 private:
  const UpdateHost host_;
  const UpdateOptions options_;
  std::unique_ptr<CUpdateDlg> update_dialog_;
  std::optional<DataUpdateResult> last_data_update_;
};
