// The win32 backend on real windows (Wine under Xvfb in the build): dialogs from real
// templates driven by control number.
#include <gtest/gtest.h>

#include <functional>

#include "config/lock_record.h"
#include "config/profile_values.h"
#include "config/settings.h"
#include "core/exit_jiese_mode_dlg.h"
#include "core/js_mode_dlg.h"
#include "core/set_password_dlg.h"
#include "file_text.h"
#include "framework/dialog.h"
#include "framework/ui_backend.h"
#include "framework/win32/browser_host_win32.h"
#include "framework/win32/win32_ui.h"
#include "framework/win32/windows_include.h"
#include "platform/code_page.h"
#include "resource.h"
#include "settings_ui/limit_edit.h"
#include "settings_ui/my_button.h"
#include "memory_profile_store.h"
#include "recording_system_integration.h"
#include "settings_ui/about_dlg.h"
#include "settings_ui/welcome_dlg.h"
#include "temp_folder.h"
#include "win32_windows.h"
#include "test_pictures.h"

namespace {

bool HaveDisplay() { return GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) > 0; }

class SampleDlg : public CDialog {
 public:
  SampleDlg() : CDialog(9001) {}
  std::vector<int> commands;
  std::vector<std::u16string> links;
  CLimitEdit address;
  CMyButton image_button;
  bool strip_loaded = false;

 protected:
  bool OnInit() override {
    window().ComboAdd(9013, u"五分钟", 5);
    window().ComboAdd(9013, u"一小时", 60);
    window().ComboSelect(9013, 1);
    window().ListSetStyle(9014, true, true, true);
    window().ListAddColumn(9014, u"网址", 120);
    window().ListInsert(9014, -1, u"a.example");
    window().ListInsert(9014, -1, u"b.example");
    window().ListSetChecked(9014, 1, true);
    window().TabAdd(9015, u"基本");
    window().TabAdd(9015, u"过滤");
    window().TabSelect(9015, 1);
    window().SetRange(9016, 0, 10);
    window().SetPosition(9016, 7);
    window().SetHotKeyValue(9017, 0x0247);
    window().SetRange(9019, 0, 99);
    window().SetPosition(9019, 15);
    window().SetCheck(9010, CheckState::kIndeterminate);
    address.Attach(window(), 9021);
    strip_loaded = image_button.Setup(window(), 9022, u"Images\\CloseButton.bmp", u"关闭", Point{280, 200});
    return true;
  }
  bool OnCommand(int id) override {
    commands.push_back(id);
    if (id == 9011) window().SetText(9012, window().Check(9011) == CheckState::kChecked ? u"已勾选" : u"未勾选");
    return true;
  }
  void OnControlEvent(int id, ControlEvent event, std::u16string_view detail) override {
    if (event == ControlEvent::kLinkClicked) links.emplace_back(detail);
  }
};

class Win32FrameworkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveDisplay()) GTEST_SKIP() << "no X display (DISPLAY is not set): windows cannot be created";
    ui_ = std::make_unique<Win32Ui>();
    installed_ = std::make_unique<ScopedUiBackend>(*ui_);
  }
  void TearDown() override {
    installed_.reset();
    ui_.reset();
  }
  // Runs the messages that a driving call queued.
  static void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

  std::unique_ptr<Win32Ui> ui_;
  std::unique_ptr<ScopedUiBackend> installed_;
};

TEST_F(Win32FrameworkTest, ADialogFromARealTemplateIsDrivenByControlNumber) {
  ScopedTempWorkingFolder folder;
  test_pictures::Write(folder.path() / "Images" / "CloseButton.bmp",
                       test_pictures::Bmp(78, 26, [](int x, int y) { return x < 26 ? 0xFF0000u : 0x00FF00u; }));
  SampleDlg dialog;
  ASSERT_TRUE(dialog.Create());
  HWND window = Win32Ui::HandleOf(dialog);
  ASSERT_NE(window, nullptr);
  DialogWindow& controls = *dialog.Window();
  EXPECT_EQ(controls.Title(), u"过滤设置 - 测试");

  // A click on the check box, as the user's: the box checks itself and the dialog reacts.
  SendMessageW(GetDlgItem(window, 9011), BM_CLICK, 0, 0);
  Pump();
  EXPECT_EQ(controls.Check(9011), CheckState::kChecked);
  EXPECT_EQ(controls.Text(9012), u"已勾选");
  EXPECT_EQ(dialog.commands, std::vector<int>{9011});
  SendMessageW(GetDlgItem(window, 9010), BM_CLICK, 0, 0);
  EXPECT_EQ(controls.Check(9010), CheckState::kUnchecked) << "the three-state box moves on from indeterminate";

  EXPECT_EQ(controls.ComboSelection(9013), 1);
  EXPECT_EQ(controls.ComboText(9013, 0), u"五分钟");
  EXPECT_EQ(controls.ComboData(9013, 1), 60);
  EXPECT_EQ(controls.ListCount(9014), 2);
  EXPECT_EQ(controls.ListText(9014, 1, 0), u"b.example");
  EXPECT_TRUE(controls.ListChecked(9014, 1));
  EXPECT_FALSE(controls.ListChecked(9014, 0));
  EXPECT_EQ(controls.TabSelection(9015), 1);
  EXPECT_EQ(controls.Position(9016), 7);
  EXPECT_EQ(controls.HotKeyValue(9017), 0x0247);
  EXPECT_EQ(controls.Position(9019), 15);
  EXPECT_EQ(controls.Text(9018), u"15") << "the spin control sets its buddy";

  // Typed characters go through the address box's filter.
  HWND edit = GetDlgItem(window, 9021);
  for (wchar_t c : std::wstring(L"Ab-c.cn")) SendMessageW(edit, WM_CHAR, c, 0);
  EXPECT_EQ(controls.Text(9021), u"bc.cn");

  // The image button is owner-drawn and took its 26 x 26 place; it still clicks.
  EXPECT_TRUE(dialog.strip_loaded);
  EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(window, 9022), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  EXPECT_EQ(controls.ControlRect(9022), Rect::At(280, 200, 26, 26));
  SendMessageW(GetDlgItem(window, 9022), BM_CLICK, 0, 0);
  EXPECT_EQ(dialog.commands.back(), 9022);

  controls.Enable(9011, false);
  EXPECT_FALSE(controls.IsEnabled(9011));
  controls.ShowControl(9012, false);
  EXPECT_FALSE(controls.IsControlVisible(9012));

  dialog.DestroyWindow();
  EXPECT_FALSE(dialog.IsOpen());
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(Win32FrameworkTest, TheMainWindowsTemplateHoldsItsControlsAndTheBrowserHost) {
  class Plain : public CDialog {
   public:
    Plain() : CDialog(IDD_KEZO_DIALOG) {}
  } dialog;
  ASSERT_TRUE(dialog.Create());
  HWND window = Win32Ui::HandleOf(dialog);
  EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & WS_CAPTION, 0) << "borderless";
  EXPECT_EQ(dialog.Window()->Text(IDC_VERSION_LABEL), u"版本: ");
  for (int id : {IDC_CLOSE_BUTTON, IDC_MINI_BUTTON, IDC_MENU_BUTTON, IDC_SHARE_ICON, IDC_DIGIT9, IDC_LINK_SHARE}) {
    EXPECT_NE(GetDlgItem(window, id), nullptr) << id;
  }
  EXPECT_NE(BrowserHost::FromWindow(GetDlgItem(window, IDC_EXPLORER)), nullptr);
  dialog.DestroyWindow();
}

TEST_F(Win32FrameworkTest, MenusAndStringsComeFromTheResources) {
  std::optional<MenuModel> tray = ui_->LoadPopupMenu(IDR_TRAY_MENU);
  ASSERT_TRUE(tray.has_value());
  EXPECT_EQ(tray->Title(), u"托盘菜单");
  EXPECT_EQ(tray->CommandIds(), (std::vector<int>{32810, 32774, 32799, 32800, 32785, 32849, 32811, 32841, 32845,
                                                  32847, 32807, 32808}));
  EXPECT_EQ(tray->Find(32807)->text, u"清除 IE 上网痕迹");
  EXPECT_EQ(ui_->LoadString(IDS_LOCKED_TITLE), u"Veltra_锁定");
  EXPECT_EQ(ui_->LoadString(999), u"");
}

// Presses OK in the confirmation box once it is open, looking again from the message
// loop up to `attempts` times; the box has its own loop, which runs these tasks too.
void AnswerConfirmation(int attempts) {
  Ui().Dispatcher().Post([attempts] {
    if (HWND confirmation = ThreadWindowTitled(L"确认")) {
      PostMessageW(confirmation, WM_COMMAND, IDOK, 0);
    } else if (attempts > 0) {
      Sleep(10);
      AnswerConfirmation(attempts - 1);
    } else {
      ADD_FAILURE() << "no confirmation box";
    }
  });
}

TEST_F(Win32FrameworkTest, TheSetPasswordDialogStoresTheScrambledPassword) {
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Solvane\\Veltra");
  TheLockRecord().PASSWORD.clear();
  // Runs inside the dialog's own message loop: types the password into both boxes, asks
  // for the OK button, and answers the confirmation that follows from inside its loop.
  ui_->Dispatcher().Post([this] {
    HWND dialog = ThreadWindowTitled(L"设置密码");
    ASSERT_NE(dialog, nullptr);
    for (int box : {IDC_PASSWORD, IDC_PASSWORD_CONFIRM}) {
      EXPECT_EQ(SendDlgItemMessageW(dialog, box, EM_GETPASSWORDCHAR, 0, 0), 0x25CF);
      for (wchar_t c : std::wstring(L"Ab中文12xyz")) SendDlgItemMessageW(dialog, box, WM_CHAR, c, 0);
    }
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    AnswerConfirmation(200);
  });
  CSetPasswordDlg dialog;
  EXPECT_EQ(dialog.DoModal(), kIdOk);

  wchar_t stored[32] = {};
  DWORD size = sizeof stored;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Solvane\\Veltra\\Setup", L"PASSWORD", RRF_RT_REG_SZ, nullptr,
                         stored, &size),
            ERROR_SUCCESS);
  std::u16string scrambled = ScramblePassword(u"Ab中文12xyz");
  EXPECT_EQ(std::wstring(stored), std::wstring(scrambled.begin(), scrambled.end()));
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Solvane\\Veltra");
  TheLockRecord().PASSWORD.clear();
}

std::wstring ControlText(HWND dialog, int id) {
  wchar_t text[256] = {};
  GetDlgItemTextW(dialog, id, text, 256);
  return text;
}

TEST_F(Win32FrameworkTest, TheForcedModeDialogsComeFromTheirTemplates) {
  ScopedTempWorkingFolder folder;
  WriteFileText("Data/ExitJSModeTip.txt", WideToLocal(u"冲动会过去，后悔却会留下。\r\n"));

  ui_->Dispatcher().Post([] {
    HWND dialog = ThreadWindowWithControl(IDC_JSMODE_SWITCH);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_JSMODE_SWITCH), BST_CHECKED);
    EXPECT_EQ(ControlText(dialog, IDC_JSMODE_HOURS), L"1");
    EXPECT_TRUE(GetWindowLongW(GetDlgItem(dialog, IDC_JSMODE_HOURS), GWL_STYLE) & ES_NUMBER);
    SendDlgItemMessageW(dialog, IDC_JSMODE_SWITCH, BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_JSMODE_HOURS)));
    EXPECT_EQ(ControlText(dialog, IDC_JSMODE_HOURS), L"0");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  CJSModeDlg choice;
  EXPECT_EQ(choice.DoModal(), kIdOk);
  EXPECT_EQ(choice.hours, 0);

  ui_->Dispatcher().Post([] {
    HWND exit = ThreadWindowWithControl(IDC_FORCE_SHUTDOWN);
    ASSERT_NE(exit, nullptr);
    RECT bounds{};
    GetWindowRect(exit, &bounds);
    EXPECT_EQ(bounds.right - bounds.left, CExitJieSeModeDlg::kWidth);
    EXPECT_EQ(bounds.bottom - bounds.top, CExitJieSeModeDlg::kHeight);
    EXPECT_EQ(ControlText(exit, IDC_DIALOG_TEXT), L"冲动会过去，后悔却会留下。");
    EXPECT_EQ(ControlText(exit, IDOK), L"确定(10)");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(exit, IDOK)));
    SendMessageW(exit, WM_COMMAND, IDOK, 0);  // as Enter would: refused while counting
    PostMessageW(exit, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(CExitJieSeModeDlg().DoModal(), kIdCancel);
}

// Runs this thread's messages for about `ms` milliseconds, so windows paint and animate.
void PumpFor(int ms) {
  for (int waited = 0; waited < ms; waited += 20) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(20);
  }
}

// Where the screenshots go: the folder the test program was started in (the build's).
class Win32DialogShotTest : public Win32FrameworkTest {
 protected:
  void SetUp() override {
    Win32FrameworkTest::SetUp();
    if (IsSkipped()) return;
    shots_ = std::filesystem::current_path();
    folder_ = std::make_unique<ScopedTempWorkingFolder>();
    std::filesystem::create_directories("www");
    std::filesystem::create_directories("Images");
    std::error_code ignored;
    std::filesystem::copy_file(std::filesystem::path(KEZO_PROGRAM_ROOT) / "Images" / "kezo_large.png",
                               "Images/kezo_large.png", ignored);
    TheSetup().LoadSetup();
  }
  void TearDown() override {
    TheSetup().loaded = false;
    folder_.reset();
    Win32FrameworkTest::TearDown();
  }
  void Shoot(HWND window, const char* name) { test_pictures::Write(shots_ / name, Screenshot(window)); }

  MemoryProfileStore profile_;
  ScopedSeam<ProfileStore> profile_seam_{profile_};
  RecordingSystemIntegration system_;
  ScopedSeam<SystemIntegration> system_seam_{system_};
  std::filesystem::path shots_;
  std::unique_ptr<ScopedTempWorkingFolder> folder_;
};

TEST_F(Win32DialogShotTest, TheWelcomeWindowComesFromItsTemplateAndAppliesItsChoices) {
  int rebuilds = 0;
  CWelcomeDlg welcome([&] { ++rebuilds; }, [] { ADD_FAILURE() << "Wine's processes hold administrator rights"; });
  ASSERT_TRUE(welcome.Create());
  HWND window = ThreadWindowWithControl(IDC_SELECT_ALL);
  ASSERT_NE(window, nullptr);
  PumpFor(800);
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(IsDlgButtonChecked(window, IDC_SELECT_ALL), BST_INDETERMINATE);
  EXPECT_EQ(IsDlgButtonChecked(window, IDC_WELCOME_AUTOSTART), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(window, IDC_POWERFUL_FILTERING), BST_CHECKED);
  Shoot(window, "welcome_dialog.png");

  SendDlgItemMessageW(window, IDC_SELECT_ALL, BM_CLICK, 0, 0);
  EXPECT_EQ(IsDlgButtonChecked(window, IDC_POWERFUL_FILTERING), BST_UNCHECKED) << "all off";
  SendDlgItemMessageW(window, IDC_SELECT_ALL, BM_CLICK, 0, 0);
  EXPECT_EQ(IsDlgButtonChecked(window, IDC_NONE_PICTURE), BST_CHECKED) << "all on";
  SendMessageW(window, WM_COMMAND, IDOK, 0);
  Pump();
  EXPECT_FALSE(welcome.IsOpen());
  EXPECT_EQ(ReadProfile(profile::kNonePicture), 1);
  EXPECT_EQ(ReadProfile(profile::kFilterAD), 1);
  EXPECT_EQ(system_.autostart, std::vector<bool>{true});
  EXPECT_EQ(rebuilds, 1);
}

TEST_F(Win32DialogShotTest, TheAboutBoxComesFromItsTemplateAndClosesWithItsButton) {
  static std::filesystem::path shot;
  shot = shots_ / "about_dialog.png";
  ui_->Dispatcher().Post([] {
    HWND about = ThreadWindowTitled(L"关于");
    ASSERT_NE(about, nullptr);
    RECT bounds{};
    GetWindowRect(about, &bounds);
    EXPECT_EQ(bounds.right - bounds.left, CAboutDlg::kWidth);
    EXPECT_EQ(bounds.bottom - bounds.top, CAboutDlg::kHeight);
    EXPECT_NE(GetDlgItem(about, IDC_EXPLORER), nullptr);
    // This task runs before the modal loop first shows the window. A timer's tick waits for
    // an empty queue, so by then the loop has shown and painted it (an engine-less Wine
    // leaves the pane blank).
    constexpr UINT_PTR kShotTimer = 0x5107;
    SetTimer(about, kShotTimer, 1500, [](HWND about, UINT, UINT_PTR timer, DWORD) {
      KillTimer(about, timer);
      EXPECT_TRUE(IsWindowVisible(about));
      test_pictures::Write(shot, Screenshot(about));
      PostMessageW(about, WM_COMMAND, IDOK, 0);
    });
  });
  EXPECT_EQ(CAboutDlg().DoModal(), kIdOk);
}

}  // namespace
