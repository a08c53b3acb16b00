#include "settings_ui/welcome_dlg.h"

#include "config/profile_values.h"
#include "config/settings.h"
#include "core/system_integration.h"
#include "framework/ui_backend.h"
#include "platform/user_rights.h"
#include "resource.h"
#include "rules/page_assets.h"

namespace {

// Every check box of the window, "全选" aside.
constexpr int kChoiceBoxes[] = {IDC_WELCOME_AUTOSTART, IDC_WELCOME_CALENDAR,   IDC_WELCOME_JIESE_TIP,
                                IDC_WELCOME_XIUSHEN_TIP, IDC_NONE_PICTURE,     IDC_POWERFUL_FILTERING,
                                IDC_FILTER_AD,         IDC_WEB_CONTROL,        IDC_MANUAL_FILTER_IMAGE,
                                IDC_AUTO_CLEAR_CACHE};

CheckState StateOf(int value) { return value != 0 ? CheckState::kChecked : CheckState::kUnchecked; }

}  // namespace

CWelcomeDlg::CWelcomeDlg(std::function<void()> rebuild_filters, std::function<void()> restart_elevated)
    : CDialog(IDD_WELCOME),
      rebuild_filters_(std::move(rebuild_filters)),
      restart_elevated_(std::move(restart_elevated)) {}

bool CWelcomeDlg::OnInit() {
  window().SetCheck(IDC_SELECT_ALL, CheckState::kIndeterminate);
  window().SetControlFont(IDC_WELCOME_HEADING, FontStyle{u"微软雅黑", 19, 400});  // 14 points
  window().SetControlTextColor(IDC_WELCOME_HEADING, Rgb(255, 255, 0));
  if (ImagePtr picture = Ui().LoadImage(u"Images\\kezo_large.png")) {
    window().SetControlImage(IDC_WELCOME_PICTURE, std::move(picture));
  }

  DialogLook look;
  look.background = Rgb(64, 174, 49);
  look.transparent_static_text = true;
  look.opacity = 240;
  look.drag_by_client_area = true;
  window().SetLook(look);
  window().SetTopMost(true);
  window().AnimateShow(ShowAnimation::kGrow, 200);
  LoadChoices();
  return true;
}

void CWelcomeDlg::LoadChoices() {
  SetupRecord& setup = TheSetup();
  DialogWindow& w = window();
  w.SetCheck(IDC_WELCOME_AUTOSTART, CheckState::kChecked);
  w.SetCheck(IDC_WELCOME_CALENDAR, StateOf(ReadProfile(profile::kSKCalendarEnabled)));
  w.SetCheck(IDC_WELCOME_JIESE_TIP, StateOf(setup.CurrentJieSeTip()));
  w.SetCheck(IDC_WELCOME_XIUSHEN_TIP, StateOf(setup.CurrentXiuShenTip()));
  int none_picture = setup.NonePicture;
  w.SetCheck(IDC_NONE_PICTURE, none_picture == 2 ? CheckState::kIndeterminate : StateOf(none_picture));
  w.SetCheck(IDC_POWERFUL_FILTERING, StateOf(ReadProfile(profile::kPowerfullFiltering)));
  w.SetCheck(IDC_FILTER_AD, StateOf(setup.FilterAD));
  w.SetCheck(IDC_WEB_CONTROL, StateOf(setup.WebControl));
  w.SetCheck(IDC_MANUAL_FILTER_IMAGE, StateOf(setup.ManualFilterImage));
  w.SetCheck(IDC_AUTO_CLEAR_CACHE, StateOf(ReadProfile(profile::kAutoClearIECookies)));
}

bool CWelcomeDlg::Checked(int id) { return window().Check(id) == CheckState::kChecked; }

bool CWelcomeDlg::OnCommand(int id) {
  if (id != IDC_SELECT_ALL) return false;
  CheckState all = window().Check(IDC_SELECT_ALL);
  if (all == CheckState::kIndeterminate) {
    LoadChoices();
  } else {
    for (int box : kChoiceBoxes) window().SetCheck(box, all);
  }
  return true;
}

bool CWelcomeDlg::ApplyAutostart() {
  SystemIntegration& system = SystemIntegration::Current();
  if (TheSetup().JieSeActive) {
    system.SetAutostart(true);
    return true;
  }
  bool wanted = Checked(IDC_WELCOME_AUTOSTART);
  // An entry that is already as wanted needs no rights to stay so.
  if (!UserRights::Current().IsAdministrator()) return system.IsAutostartOn() == wanted;
  system.SetAutostart(wanted);
  return true;
}

void CWelcomeDlg::OnOk() {
  SetupRecord& setup = TheSetup();
  bool autostart_applied = ApplyAutostart();
  WriteProfile(profile::kSKCalendarEnabled, Checked(IDC_WELCOME_CALENDAR) ? 1 : 0);
  WriteProfile(profile::kJieSeTip, Checked(IDC_WELCOME_JIESE_TIP) ? 1 : 0);
  WriteProfile(profile::kXiuShenTip, Checked(IDC_WELCOME_XIUSHEN_TIP) ? 1 : 0);
  setup.jieSeTipStale = true;
  setup.xiuShenTipStale = true;
  setup.SetNonePicture(static_cast<int>(window().Check(IDC_NONE_PICTURE)));

  int strict_before = ReadProfile(profile::kPowerfullFiltering);
  int strict = Checked(IDC_POWERFUL_FILTERING) ? 1 : 0;
  WriteProfile(profile::kPowerfullFiltering, strict);

  setup.FilterAD = Checked(IDC_FILTER_AD) ? 1 : 0;
  WriteProfile(profile::kFilterAD, setup.FilterAD.load());
  setup.SetWebControl(Checked(IDC_WEB_CONTROL) ? 1 : 0);
  setup.ManualFilterImage = Checked(IDC_MANUAL_FILTER_IMAGE) ? 1 : 0;
  WriteProfile(profile::kManualFilterImage, setup.ManualFilterImage.load());
  WriteParamScript(setup);
  WriteProfile(profile::kAutoClearIECookies, Checked(IDC_AUTO_CLEAR_CACHE) ? 1 : 0);

  // The strict words join or leave the black filter only when it is rebuilt: a switch
  // turned off must take them out as surely as one turned on puts them in.
  if (strict != 0 || strict != strict_before) rebuild_filters_();
  WriteParamScript(setup);
  if (!autostart_applied) MessageBox(u"权限不够!\n程序将重新启动并以管理员身份运行.");
  End(kIdOk);
  if (!autostart_applied) restart_elevated_();
}
