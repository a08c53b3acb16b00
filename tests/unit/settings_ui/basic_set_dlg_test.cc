// The basic page of the settings centre and the hot-key conflict notice, driven by control
// number on the real templates (headless backend), with autostart and rights faked, the
// hot key through the backend's registration and backup and restore through the real 7z.
#include "settings_ui/basic_set_dlg.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/profile_values.h"
#include "data_files.h"
#include "file_text.h"
#include "settings_centre_fixture.h"
#include "settings_ui/hot_key_err_dlg.h"

namespace {

namespace fs = std::filesystem;

class BasicPageTest : public SettingsCentreTest {
 protected:
  CBasicSetDlg& Page() { return static_cast<CBasicSetDlg&>(OpenPage(CSetDlg::kBasicTab)); }
  CheckState CheckOf(int id) { return ui_.WindowOf(Page())->Check(id); }
  // Waits for the archiver's thread to hand its result back.
  void WaitForArchiver(CBasicSetDlg& page) {
    ui_.RunTasksUntil([&] { return !page.ArchiverRunning(); });
  }
};

TEST_F(BasicPageTest, LoadsTheDefaultsAndSavesOnTabChangeAndOnClose) {
  CBasicSetDlg& page = Page();
  EXPECT_EQ(CheckOf(IDC_CALENDAR_SWITCH), CheckState::kUnchecked);
  EXPECT_EQ(CheckOf(IDC_JIESE_TIP), CheckState::kUnchecked);
  EXPECT_EQ(CheckOf(IDC_XIUSHEN_TIP), CheckState::kChecked);
  EXPECT_EQ(CheckOf(IDC_TRAY_ICON), CheckState::kChecked);
  EXPECT_EQ(CheckOf(IDC_CLOSE_HIDES), CheckState::kChecked);
  EXPECT_EQ(CheckOf(IDC_CLOSE_QUITS), CheckState::kUnchecked);
  EXPECT_EQ(ui_.WindowOf(page)->HotKeyValue(IDC_HOTKEY), 583);

  // A change, another tab, then the close there: kept.
  ui_.Click(page, IDC_JIESE_TIP);
  ui_.Click(page, IDC_CLOSE_QUITS);
  TheSetup().jieSeTipStale = false;
  ui_.SelectTab(*dialogs_.SettingsCentre(), IDC_SET_TAB, CSetDlg::kSafeTab);
  EXPECT_EQ(ReadProfile(profile::kJieSeTip), 1) << "hiding the page saves it";
  EXPECT_TRUE(TheSetup().jieSeTipStale) << "and marks the cache for a new reading";
  EXPECT_EQ(ReadProfile(profile::kMainCloseButtonIsHideForm), 0);
  ui_.Click(page, IDC_XIUSHEN_TIP);
  EXPECT_FALSE(ui_.Click(page, IDC_XIUSHEN_TIP)) << "a hidden page is out of reach";
  ui_.SendSysCommand(*dialogs_.SettingsCentre(), SysCommand::kClose);
  EXPECT_EQ(ReadProfile(profile::kJieSeTip), 1);
  EXPECT_EQ(ReadProfile(profile::kXiuShenTip), 1);

  // Changed elsewhere while hidden: the next showing reads it again.
  WriteProfile(profile::kShowNotifyIcon, 0);
  Page();
  EXPECT_EQ(CheckOf(IDC_TRAY_ICON), CheckState::kUnchecked);
  EXPECT_EQ(CheckOf(IDC_CLOSE_QUITS), CheckState::kChecked);
}

// Hiding the main window and the program's end keep what the page shows, as a close would.
TEST_F(BasicPageTest, HidingTheMainWindowAndTheProgramsEndSaveThePage) {
  ui_.Click(Page(), IDC_JIESE_TIP);
  main_->HideMainWindow();
  EXPECT_EQ(ReadProfile(profile::kJieSeTip), 1);

  ui_.Click(Page(), IDC_CLOSE_QUITS);
  main_->Teardown();
  EXPECT_EQ(ReadProfile(profile::kMainCloseButtonIsHideForm), 0);
}

TEST_F(BasicPageTest, TheCalendarSwitchAndTheTrayIconTakeEffectOnTheirClick) {
  CBasicSetDlg& page = Page();
  ui_.Click(page, IDC_CALENDAR_SWITCH);
  EXPECT_EQ(ReadProfile(profile::kSKCalendarEnabled), 1);
  ASSERT_TRUE(Window().Tray().shown);
  ui_.Click(page, IDC_TRAY_ICON);
  EXPECT_FALSE(Window().Tray().shown);
  ui_.Click(page, IDC_TRAY_ICON);
  EXPECT_TRUE(Window().Tray().shown);
  EXPECT_EQ(Window().Tray().icon, IDI_TRAY_NORMAL);
  ui_.Click(page, IDC_TIP_STYLE);
  EXPECT_EQ(dialogs_.tip_style_editor_runs, 1);
}

struct AutostartCase {
  const char* name;
  bool administrator;
  bool forced_mode;
  bool checked_before;
  // What follows the click.
  std::vector<bool> autostart_calls;
  bool restarts_elevated;
  CheckState box_after;
  bool box_enabled_after;
};

TEST_F(BasicPageTest, TheAutostartBoxAsksTheForcedModeFirstAndTheRightsThen) {
  const AutostartCase cases[] = {
      {"administrator: switched on", true, false, false, {true}, false, CheckState::kChecked, true},
      {"administrator: switched off", true, false, true, {false}, false, CheckState::kUnchecked, true},
      {"forced mode: stays on", true, true, true, {true}, false, CheckState::kChecked, false},
      {"forced mode, no rights: stays on, no restart", false, true, false, {true}, false, CheckState::kChecked, false},
      {"no rights: restarted elevated, box as it was", false, false, false, {}, true, CheckState::kUnchecked, true},
  };
  for (const AutostartCase& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    system_.autostart.clear();
    if (c.checked_before) system_.autostart.push_back(true);
    WriteProfile(profile::kRunAsAdmin, 0);
    TheSetup().Exiting = false;
    TheSetup().JieSeActive = false;
    SetUp();
    rights_.administrator = c.administrator;
    CBasicSetDlg& page = Page();
    TheSetup().JieSeActive = c.forced_mode;  // begun after the page opened
    system_.autostart.clear();
    ui_.message_boxes.clear();
    ASSERT_TRUE(ui_.Click(page, IDC_AUTOSTART));
    EXPECT_EQ(system_.autostart, c.autostart_calls);
    EXPECT_EQ(CheckOf(IDC_AUTOSTART), c.box_after);
    EXPECT_EQ(ui_.WindowOf(page)->IsEnabled(IDC_AUTOSTART), c.box_enabled_after);
    EXPECT_EQ(ReadProfile(profile::kRunAsAdmin), c.restarts_elevated ? 1 : 0);
    EXPECT_EQ(TheSetup().Exiting.load(), c.restarts_elevated);
    std::vector<std::u16string> expected_messages;
    if (c.restarts_elevated) expected_messages.push_back(u"权限不够!\n程序将重新启动并以管理员身份运行.");
    EXPECT_EQ(MessageTexts(), expected_messages);
    ui_.RunPendingTasks();
    EXPECT_EQ(main_->IsOpen(), !c.restarts_elevated) << "the restart ends this program";
    TheSetup().JieSeActive = false;
  }
}

TEST_F(BasicPageTest, TheHotKeyIsRegisteredAndStoredOnlyWhenTheSystemTakesIt) {
  ASSERT_TRUE(ui_.FireTimer(*main_, 3)) << "the saved hot key is registered one second after start";
  CBasicSetDlg& page = Page();
  const uint32_t kControl = 0x02, kAlt = 0x01;

  ui_.Click(page, IDC_HOTKEY_APPLY);
  EXPECT_TRUE(MessageTexts().empty()) << "the stored key again: nothing to do";

  ui_.TakeHotKey(kControl | kAlt, 'K');
  ui_.EnterHotKey(page, IDC_HOTKEY, 0x064B);  // Ctrl+Alt+K in the field's form
  ui_.Click(page, IDC_HOTKEY_APPLY);
  EXPECT_EQ(MessageTexts(), std::vector<std::u16string>{u"热键冲突，请重新设置一个。"});
  EXPECT_EQ(ReadProfile(profile::kHotkey), 583) << "the stored key stays";
  EXPECT_EQ(Window().HotKeyOf(SetupRecord::ShowHotKeyId), (std::pair<uint32_t, uint32_t>{kControl, 'G'}))
      << "and so does its registration";

  ui_.EnterHotKey(page, IDC_HOTKEY, 0x0458);  // Alt+X: the field's alt is 4
  ui_.Click(page, IDC_HOTKEY_APPLY);
  EXPECT_EQ(MessageTexts(), std::vector<std::u16string>{u"热键设置成功！"});
  EXPECT_EQ(ReadProfile(profile::kHotkey), 0x0458);
  EXPECT_EQ(Window().HotKeyOf(SetupRecord::ShowHotKeyId), (std::pair<uint32_t, uint32_t>{kAlt, 'X'}))
      << "registered with the system's alt";
  EXPECT_TRUE(ui_.PressHotKey(*main_, SetupRecord::ShowHotKeyId));
}

TEST_F(BasicPageTest, ATakenHotKeyAtStartShowsTheNoticeWithItsName) {
  ui_.TakeHotKey(0x02, 'G');
  ASSERT_TRUE(ui_.FireTimer(*main_, 3));
  std::vector<CDialog*> notices = ui_.OpenDialogs(IDD_HOTKEY_ERR);
  ASSERT_EQ(notices.size(), 1u);
  HeadlessWindow& notice = *ui_.WindowOf(*notices[0]);
  EXPECT_EQ(notice.Title(), u"热键");
  EXPECT_EQ(notice.Text(IDC_HOTKEY_ERR_TEXT), u"您设置的热键 【Ctrl + G】 被其他程序占用了，请到【设置中心】重新设置一个。");
  EXPECT_TRUE(notice.IsToolWindow());
  EXPECT_TRUE(notice.IsTopMost());
  EXPECT_TRUE(notice.IsVisible());
  EXPECT_EQ(notice.Look().static_text_color, CHotKeyErrDlg::kTextColor);
  EXPECT_FALSE(ui_.FireTimer(*main_, 3)) << "once";

  ui_.Click(*notices[0], kIdOk);
  EXPECT_TRUE(ui_.OpenDialogs(IDD_HOTKEY_ERR).empty());
  ui_.RunPendingTasks();  // the notice frees itself
}

TEST(HotKeyNameTest, NamesTheModifiersAndTheKeyAsTheFieldShowsThem) {
  EXPECT_EQ(HotKeyName(583), u"Ctrl + G");
  EXPECT_EQ(HotKeyName(0x0458), u"Alt + X");
  EXPECT_EQ(HotKeyName(0x0770), u"Ctrl + Shift + Alt + F1");
  EXPECT_EQ(HotKeyName(0x017B), u"Shift + F12");
  EXPECT_EQ(HotKeyName(0x0231), u"Ctrl + 1");
}

// Backup and restore through the real archiver, on the test's own data folder.
class BackupTest : public BasicPageTest {
 protected:
  void SetUp() override {
    BasicPageTest::SetUp();
    // The archiver is 7z.exe in the working folder on Windows; the build put the shipped one
    // beside the programs.
    fs::path shipped = fs::path(KEZO_PROGRAM_ROOT) / "7z.exe";
    if (fs::exists(shipped)) fs::copy_file(shipped, "7z.exe");
    WriteFileText("Data/UserWord.kezo", "words one");
    WriteFileText("Data/IntelligentDomain.txt", "learned.test\r\n");
    archive_ = (fs::current_path() / "backup" / fs::path(u"配置.bak")).u16string();
    fs::create_directories(fs::current_path() / "backup");
    ui_.on_choose_file = [this](const FileDialogRequest& request) -> std::optional<std::u16string> {
      requests_.push_back(request);
      return archive_;
    };
  }
  bool RunButton(int id) {
    CBasicSetDlg& page = Page();
    if (!ui_.Click(page, id)) return false;
    WaitForArchiver(page);
    return true;
  }

  std::u16string archive_;
  std::vector<FileDialogRequest> requests_;
};

TEST_F(BackupTest, ABackupRestoresTheDataFolderAndANewBackupReplacesTheOld) {
  ASSERT_TRUE(RunButton(IDC_BACKUP));
  EXPECT_EQ(MessageTexts(), std::vector<std::u16string>{u"数据备份完成!"});
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_TRUE(requests_[0].save);
  EXPECT_EQ(requests_[0].file_name, u"配置.bak");
  EXPECT_EQ(requests_[0].default_extension, u".bak");
  EXPECT_EQ(requests_[0].filter, u"Veltra配置(*.bak)|*.bak||");
  EXPECT_EQ(requests_[0].initial_folder, u"d:\\");
  EXPECT_TRUE(requests_[0].path_must_exist);
  EXPECT_FALSE(requests_[0].overwrite_prompt);

  // A file deleted after an earlier backup does not come back from the next one.
  fs::remove("Data/IntelligentDomain.txt");
  ASSERT_TRUE(RunButton(IDC_BACKUP));
  EXPECT_EQ(MessageTexts(), std::vector<std::u16string>{u"数据备份完成!"});
  EXPECT_FALSE(fs::exists(fs::path(archive_ + u".new")));

  WriteFileText("Data/UserWord.kezo", "changed");
  WriteListFile("Data\\IntelligentDomain.txt", {"after.test"}, false);
  ASSERT_TRUE(RunButton(IDC_RESTORE));
  EXPECT_EQ(MessageTexts(), std::vector<std::u16string>{u"数据恢复完成,重新启动后生效!"});
  EXPECT_TRUE(requests_.back().file_must_exist);
  EXPECT_EQ(FileText("Data/UserWord.kezo"), "words one");
  EXPECT_EQ(FileText("Data/IntelligentDomain.txt"), "after.test\r\n") << "not in the backup: left alone";
  EXPECT_FALSE(fs::exists("Data.restore"));
}

TEST_F(BackupTest, AFailedRestoreLeavesTheDataFolderAsItWas) {
  WriteFileText(fs::path(archive_), "not an archive");
  ASSERT_TRUE(RunButton(IDC_RESTORE));
  EXPECT_EQ(MessageTexts(), std::vector<std::u16string>{u"数据恢复失败，数据未作改动!"});
  EXPECT_EQ(FileText("Data/UserWord.kezo"), "words one");
  EXPECT_EQ(FileText("Data/IntelligentDomain.txt"), "learned.test\r\n");

  // A backup that the archiver cannot write (its folder would be a file) says so.
  archive_ = (fs::current_path() / "Data" / "UserWord.kezo" / fs::path(u"配置.bak")).u16string();
  ASSERT_TRUE(RunButton(IDC_BACKUP));
  EXPECT_EQ(MessageTexts(), std::vector<std::u16string>{u"数据备份失败!"});
}

TEST_F(BackupTest, RestoringWithoutAdministratorRightsAsksForThemAndOpensNoFileDialog) {
  rights_.administrator = false;
  ASSERT_TRUE(ui_.Click(Page(), IDC_RESTORE));
  EXPECT_EQ(MessageTexts(), std::vector<std::u16string>{u"请重新启动程序,并以管理员身份运行."});
  EXPECT_TRUE(requests_.empty());
  EXPECT_EQ(FileText("Data/UserWord.kezo"), "words one");
}

}  // namespace
