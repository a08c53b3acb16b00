#pragma once

#include "settings_ui/my_dialog.h"

// The rest reminder's choice "休息提醒": remind me every 1, 2 or 3 hours, or not at all
// ("关闭"), with a preview of the notice. "确定" stores the choice in RestReminderTime and
// its cache; the opener re-arms the reminder. Modal. User-interface thread only.
class CRestReminderDlg : public CMyDialog {
 public:
  CRestReminderDlg();

 protected:
  bool OnInit() override;
  void OnOk() override;
  bool OnCommand(int id) override;
  void OnControlEvent(int id, ControlEvent event, std::u16string_view detail) override;

 private:
  void ShowPreviewButton();
};
