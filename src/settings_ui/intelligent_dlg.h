#pragma once

#include <string>

#include "settings_ui/settings_page.h"

class CKEZODlg;

// The settings centre's smart-monitoring page ("智能监控"): a four-position slider for how
// strictly pages are judged (IntelligentMonitor, 0 strict .. 3 off), the switch that tells
// the user after a block (IntelligentMonitorTip), and the way to the learned sites
// (CIntellWebDlg). Each control writes its setting at once; the page reads both again each
// time it is shown.
//
// While the forced mode holds, the slider refuses the loose and off positions and the
// learned sites cannot be managed.
//
// User-interface thread only. `main` must outlive the page.
class CIntelligentDlg : public CSettingsPage {
 public:
  static constexpr int kStrictest = 0;
  static constexpr int kOff = 3;
  // The loosest position the forced mode allows.
  static constexpr int kForcedModeLoosest = 1;
  static constexpr std::u16string_view kRefusal = u"当前模式下禁止该操作!";

  explicit CIntelligentDlg(CKEZODlg& main);

  // The description of a slider position; empty for a position outside 0..3.
  static std::u16string_view PositionText(int position);

 protected:
  bool OnInit() override;
  bool OnCommand(int id) override;
  void OnControlEvent(int id, ControlEvent event, std::u16string_view detail) override;
  void OnPageShown() override { Load(); }

 private:
  void Load();
  void OnSliderMoved();
  void ShowPosition(int position);

  CKEZODlg& main_;
};
