#include "settings_ui/basic_set_dlg.h"

#include <thread>

#include "config/process_flags.h"
#include "config/profile_values.h"
#include "config/settings.h"
#include "config/tip_switches.h"
#include "core/kezo_dlg.h"
#include "core/main_window_dialogs.h"
#include "core/system_integration.h"
#include "framework/ui_backend.h"
#include "platform/user_rights.h"
#include "resource.h"
#include "settings_ui/data_backup.h"

namespace {

CheckState Checked(bool on) { return on ? CheckState::kChecked : CheckState::kUnchecked; }

FileDialogRequest ArchiveRequest(bool save) {
  FileDialogRequest request;
  request.save = save;
  request.filter = std::u16string(CBasicSetDlg::kArchiveFilter);
  request.default_extension = u".bak";
  request.file_name = std::u16string(CBasicSetDlg::kArchiveName);
  request.initial_folder = std::u16string(CBasicSetDlg::kArchiveFolder);
  request.path_must_exist = true;
  request.file_must_exist = !save;
  request.overwrite_prompt = false;
  return request;
}

}  // namespace

CBasicSetDlg::CBasicSetDlg(CKEZODlg& main)
    : CSettingsPage(IDD_BASIC_SET), main_(main), alive_(std::make_shared<bool>(true)) {}


CBasicSetDlg::~CBasicSetDlg() {
  // The result of a running archiver is dropped, but the archiver itself is let finish (its
  // wait is bounded): a backup or restore cut short would leave half a file behind.
  alive_.reset();
  if (archiver_.joinable()) archiver_.join();
}

bool CBasicSetDlg::OnInit() {
  // Read once: the system's entry is only changed from this page. The forced mode keeps
  // autostart on.
  bool forced = TheSetup().JieSeActive;
  window().SetCheck(IDC_AUTOSTART, Checked(forced || SystemIntegration::Current().IsAutostartOn()));
  window().Enable(IDC_AUTOSTART, !forced);
  Load();
  return true;
}

void CBasicSetDlg::Load() {
  SetupRecord& setup = TheSetup();
  window().SetCheck(IDC_CALENDAR_SWITCH, Checked(ReadProfile(profile::kSKCalendarEnabled) != 0));
  window().SetCheck(IDC_JIESE_TIP, Checked(CurrentTipSwitch(setup.jieSeTipStale, setup.JieSeTip, profile::kJieSeTip)));
  window().SetCheck(IDC_XIUSHEN_TIP,
                    Checked(CurrentTipSwitch(setup.xiuShenTipStale, setup.XiuShenTip, profile::kXiuShenTip)));
  window().SetCheck(IDC_TRAY_ICON, Checked(ReadProfile(profile::kShowNotifyIcon) != 0));
  bool hides = ReadProfile(profile::kMainCloseButtonIsHideForm) != 0;
  window().SetCheck(IDC_CLOSE_HIDES, Checked(hides));
  window().SetCheck(IDC_CLOSE_QUITS, Checked(!hides));
  window().SetHotKeyValue(IDC_HOTKEY, static_cast<uint16_t>(ReadProfile(profile::kHotkey)));
}

void CBasicSetDlg::Save() {
  if (!IsOpen()) return;
  SetupRecord& setup = TheSetup();
  WriteProfile(profile::kJieSeTip, window().Check(IDC_JIESE_TIP) == CheckState::kChecked ? 1 : 0);
  WriteProfile(profile::kXiuShenTip, window().Check(IDC_XIUSHEN_TIP) == CheckState::kChecked ? 1 : 0);
  setup.jieSeTipStale = true;
  setup.xiuShenTipStale = true;
  WriteProfile(profile::kShowNotifyIcon, window().Check(IDC_TRAY_ICON) == CheckState::kChecked ? 1 : 0);
  WriteProfile(profile::kMainCloseButtonIsHideForm, window().Check(IDC_CLOSE_HIDES) == CheckState::kChecked ? 1 : 0);
  WriteProfile(profile::kSKCalendarEnabled, window().Check(IDC_CALENDAR_SWITCH) == CheckState::kChecked ? 1 : 0);
}

bool CBasicSetDlg::OnCommand(int id) {
  switch (id) {
    case IDC_AUTOSTART: OnAutostartClicked(); break;
    case IDC_CALENDAR_SWITCH:
      WriteProfile(profile::kSKCalendarEnabled, window().Check(IDC_CALENDAR_SWITCH) == CheckState::kChecked ? 1 : 0);
      break;
    case IDC_TIP_STYLE: main_.Dialogs().RunTipStyleEditor(main_); break;
    case IDC_HOTKEY_APPLY: ApplyHotKey(); break;
    case IDC_TRAY_ICON: main_.ShowTrayIcon(window().Check(IDC_TRAY_ICON) == CheckState::kChecked); break;
    case IDC_BACKUP: StartBackup(); break;
    case IDC_RESTORE: StartRestore(); break;
    default: return false;
  }
  return true;
}

void CBasicSetDlg::OnAutostartClicked() {
  // The forced mode is asked first: while it holds, autostart stays on whoever clicks, and
  // nothing may restart the program (which would leave filtering off meanwhile).
  if (TheSetup().JieSeActive) {
    window().SetCheck(IDC_AUTOSTART, CheckState::kChecked);
    window().Enable(IDC_AUTOSTART, false);
    SystemIntegration::Current().SetAutostart(true);
    return;
  }
  if (!UserRights::Current().IsAdministrator()) {
    // The click is not applied: the box shows the entry as it is.
    window().SetCheck(IDC_AUTOSTART, Checked(window().Check(IDC_AUTOSTART) != CheckState::kChecked));
    MessageBox(u"权限不够!\n程序将重新启动并以管理员身份运行.");
    main_.RestartElevated();
    return;
  }
  SystemIntegration::Current().SetAutostart(window().Check(IDC_AUTOSTART) == CheckState::kChecked);
}

void CBasicSetDlg::ApplyHotKey() {
  uint16_t stored = window().HotKeyValue(IDC_HOTKEY);
  if (stored == static_cast<uint16_t>(ReadProfile(profile::kHotkey))) return;
  ShowHotKey key{static_cast<uint32_t>(stored & 0xFF), HotKeyControlToRegistration((stored >> 8) & 0xFF)};
  // A key another program holds leaves the one registered before in place, and stored.
  if (!main_.ReplaceShowHotKey(key)) {
    MessageBox(u"热键冲突，请重新设置一个。");
    return;
  }
  WriteProfile(profile::kHotkey, stored);
  MessageBox(u"热键设置成功！");
}

void CBasicSetDlg::StartBackup() {
  std::optional<std::u16string> archive = Ui().ChooseFile(ArchiveRequest(true), this);
  if (!archive) return;
  std::filesystem::path path(*archive);
  RunArchiver([path] { return BackUpDataFolder(path); },
              [this](bool done) { MessageBox(done ? u"数据备份完成!" : u"数据备份失败!"); });
}

void CBasicSetDlg::StartRestore() {
  if (!UserRights::Current().IsAdministrator()) {
    MessageBox(u"请重新启动程序,并以管理员身份运行.");
    return;
  }
  std::optional<std::u16string> archive = Ui().ChooseFile(ArchiveRequest(false), this);
  if (!archive) return;
  std::filesystem::path path(*archive);
  RunArchiver([path] { return RestoreDataFolder(path); },
              [this](bool done) {
                if (!done) {
                  MessageBox(u"数据恢复失败，数据未作改动!");
                  return;
                }
                main_.ReloadData(0);
                MessageBox(u"数据恢复完成,重新启动后生效!");
              });
}

void CBasicSetDlg::RunArchiver(std::function<bool()> work, std::function<void(bool)> done) {
  if (archiver_.joinable()) archiver_.join();  // ended: its result has been shown
  archiver_running_ = true;
  window().Enable(IDC_BACKUP, false);
  window().Enable(IDC_RESTORE, false);
  auto finish = [this, done = std::move(done)](bool result) {
    ArchiverEnded();
    done(result);
  };
  std::weak_ptr<bool> alive = alive_;
  UiDispatcher& dispatcher = Ui().Dispatcher();
  archiver_ = std::thread([work = std::move(work), finish = std::move(finish), alive, &dispatcher] {
    bool result = work();
    dispatcher.Post([finish, alive, result] {
      if (alive.lock() != nullptr) finish(result);
    });
  });
}

void CBasicSetDlg::ArchiverEnded() {
  archiver_running_ = false;
  if (!IsOpen()) return;
  window().Enable(IDC_BACKUP, true);
  window().Enable(IDC_RESTORE, true);
}
