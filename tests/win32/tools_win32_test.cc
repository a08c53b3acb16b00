// The tools' windows on real windows (Wine under Xvfb in the build), from their templates,
// with the fake clock and the recording shutdown.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "config/settings.h"
#include "fake_clock.h"
#include "file_text.h"
#include "framework/dialog.h"
#include "framework/ui_backend.h"
#include "framework/win32/win32_ui.h"
#include "framework/win32/windows_include.h"
#include "memory_profile_store.h"
#include "platform/code_page.h"
#include "recording_shutdown.h"
#include "resource.h"
#include "temp_folder.h"
#include "win32_windows.h"
#include "tools/need_rest_dlg.h"
#include "tools/rest_reminder_dlg.h"
#include "tools/statistics_dlg.h"
#include "tools/timing_shutdown_dlg.h"
#include "tools/user_define_web_tip_dlg.h"
#include "tools_resource.h"

namespace {

std::wstring ControlText(HWND dialog, int id) {
  wchar_t text[256] = {};
  GetDlgItemTextW(dialog, id, text, 256);
  return text;
}

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// The build folder the tests run in: screenshots go there, whatever folder a test works in.
const std::filesystem::path kShotFolder = std::filesystem::current_path();

// Shows the window as the dialog manager would once its loop is idle, and saves its picture.
void SaveShot(HWND window, const char* name) {
  ShowWindow(window, SW_SHOWNORMAL);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump();
  Sleep(200);
  test_pictures::Write(kShotFolder / name, Screenshot(window));
}

// Runs `act` on this thread's first dialog with control `id` once it exists, looking again
// from the message loop (a modal dialog's loop runs these tasks too) for up to 2 seconds.
void OnDialogWith(int id, std::function<void(HWND)> act, int attempts = 200) {
  Ui().Dispatcher().Post([id, act = std::move(act), attempts]() mutable {
    if (HWND dialog = ThreadWindowWithControl(id)) return act(dialog);
    if (attempts == 0) {
      ADD_FAILURE() << "no dialog with control " << id;
      return;
    }
    Sleep(10);
    OnDialogWith(id, std::move(act), attempts - 1);
  });
}

bool Shown(HWND control) { return (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0; }

class ToolsWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) == 0) GTEST_SKIP() << "no X display (DISPLAY is not set)";
    ui_ = std::make_unique<Win32Ui>();
    installed_ = std::make_unique<ScopedUiBackend>(*ui_);
    std::filesystem::create_directories(folder_.path() / "Data");
    std::filesystem::create_directories(folder_.path() / "Images");
  }
  void TearDown() override {
    installed_.reset();
    ui_.reset();
  }

  ScopedTempWorkingFolder folder_;
  MemoryProfileStore profile_;
  ScopedSeam<ProfileStore> profile_seam_{profile_};
  FakeClock clock_;
  ScopedSeam<Clock> clock_seam_{clock_};
  RecordingShutdown shutdown_;
  ScopedSeam<SystemShutdown> shutdown_seam_{shutdown_};
  std::unique_ptr<Win32Ui> ui_;
  std::unique_ptr<ScopedUiBackend> installed_;
};

TEST_F(ToolsWin32Test, TheTimedShutdownPaintsItsCountdownAndOnlyAsksTheRecordingShutdown) {
  clock_.SetLocalTimeOfDay(21, 58, 30);
  CTimingShutDownDlg dialog;
  ASSERT_TRUE(dialog.Open());
  HWND window = Win32Ui::HandleOf(dialog);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ControlText(window, IDC_SHUTDOWN_HOUR), L"22");
  EXPECT_EQ(ControlText(window, IDC_SHUTDOWN_MINUTE), L"58");
  SetDlgItemTextW(window, IDC_SHUTDOWN_HOUR, L"24");  // as the spin control's step above 23 writes it
  Pump();
  EXPECT_EQ(ControlText(window, IDC_SHUTDOWN_HOUR), L"0");
  // The spin control's step below 0 wraps to 23.
  SendDlgItemMessageW(window, IDC_SHUTDOWN_HOUR_SPIN, UDM_SETPOS32, 0, -1);
  SetDlgItemTextW(window, IDC_SHUTDOWN_HOUR, L"-1");
  Pump();
  EXPECT_EQ(ControlText(window, IDC_SHUTDOWN_HOUR), L"23");
  SetDlgItemTextW(window, IDC_SHUTDOWN_HOUR, L"22");
  SetDlgItemTextW(window, IDC_SHUTDOWN_MINUTE, L"0");
  Pump();
  EXPECT_EQ(ControlText(window, IDC_SHUTDOWN_STATUS), L"距离关机还有: 0 小时 2 分");
  SaveShot(window, "tool_timed_shutdown_idle.png");

  SendDlgItemMessageW(window, IDOK, BM_CLICK, 0, 0);
  Pump();
  ASSERT_TRUE(dialog.IsCounting());
  EXPECT_EQ(ControlText(window, IDOK), L"隐藏");
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, IDC_SHUTDOWN_HOUR)));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, IDC_SHUTDOWN_LABEL)));
  for (int second = 0; second < 30; ++second) {
    clock_.Advance(1000);
    SendMessageW(window, WM_TIMER, CTimingShutDownDlg::kCountdownTimer, 0);
  }
  EXPECT_EQ(dialog.RemainingSeconds(), 60);
  SaveShot(window, "tool_timed_shutdown_counting.png");

  SendDlgItemMessageW(window, IDOK, BM_CLICK, 0, 0);  // "隐藏"
  EXPECT_FALSE(IsWindowVisible(window));
  for (int second = 0; second < 60; ++second) {
    clock_.Advance(1000);
    SendMessageW(window, WM_TIMER, CTimingShutDownDlg::kCountdownTimer, 0);
  }
  EXPECT_TRUE(IsWindowVisible(window)) << "back for the last 30 seconds";
  EXPECT_EQ(shutdown_.requested, 1);
  EXPECT_EQ(shutdown_.forced, 0);
  dialog.DestroyWindow();
}

TEST_F(ToolsWin32Test, TheRestNoticeCoversTheScreenAndADoubleClickClosesIt) {
  TheSetup().RestReminderTime = 0;
  OnDialogWith(IDC_REST_INTERVAL, [](HWND reminder) {
    EXPECT_FALSE(Shown(GetDlgItem(reminder, IDC_REST_PREVIEW)));
    SendDlgItemMessageW(reminder, IDC_REST_INTERVAL, CB_SETCURSEL, 2, 0);
    SendMessageW(reminder, WM_COMMAND, MAKEWPARAM(IDC_REST_INTERVAL, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(reminder, IDC_REST_INTERVAL)));
    EXPECT_TRUE(Shown(GetDlgItem(reminder, IDC_REST_PREVIEW)));
    SaveShot(reminder, "tool_rest_reminder_choice.png");
    PostMessageW(reminder, WM_COMMAND, MAKEWPARAM(IDC_REST_PREVIEW, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(reminder, IDC_REST_PREVIEW)));
    // The notice runs its own loop: it is looked at and closed from there.
    OnDialogWith(IDC_REST_COUNTDOWN, [reminder](HWND notice) {
      RECT rect{};
      GetWindowRect(notice, &rect);
      EXPECT_EQ(rect.right - rect.left, GetSystemMetrics(SM_CXSCREEN));
      EXPECT_EQ(rect.bottom - rect.top, GetSystemMetrics(SM_CYSCREEN));
      EXPECT_EQ(ControlText(notice, IDC_REST_MESSAGE), L"您已经连续工作了 2 小时,请注意适当休息!\r\n站起来走走吧!");
      SendMessageW(notice, WM_TIMER, CNeedRestDlg::kCountdownTimer, 0);
      EXPECT_EQ(ControlText(notice, IDC_REST_COUNTDOWN), L"剩余时间: 299 秒 鼠标双击关闭");
      SaveShot(notice, "tool_rest_notice.png");
      PostMessageW(notice, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(200, 200));
      Ui().Dispatcher().Post([reminder] { PostMessageW(reminder, WM_COMMAND, IDCANCEL, 0); });
    });
  });
  CRestReminderDlg reminder;
  EXPECT_EQ(reminder.DoModal(), kIdCancel);
  EXPECT_EQ(ThreadWindowWithControl(IDC_REST_COUNTDOWN), nullptr) << "the double click closed the notice";
}

TEST_F(ToolsWin32Test, TheStyleEditorWritesItsPreviewAndResetsToTheDefaults) {
  WriteFileText(folder_.path() / "Data" / "WebBottomTipsTemplate.txt",
                FileText(std::filesystem::path(KEZO_SOURCE_ROOT) / "dist" / "Data" / "WebBottomTipsTemplate.txt"));
  TheSetup().tipStyleChanged = false;
  OnDialogWith(IDC_TIP_COLOUR_CHOICE, [](HWND editor) {
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(editor, IDOK)));
    EXPECT_EQ(SendDlgItemMessageW(editor, IDC_TIP_COLOUR_CHOICE, CB_GETCOUNT, 0, 0), 3);
    SaveShot(editor, "tool_style_editor.png");
    SendDlgItemMessageW(editor, IDC_TIP_RESET, BM_CLICK, 0, 0);
    PostMessageW(editor, WM_COMMAND, IDCANCEL, 0);
  });
  CUserDefineWebTipDlg editor;
  EXPECT_EQ(editor.DoModal(), kIdCancel);
  EXPECT_TRUE(std::filesystem::exists(folder_.path() / "Data" / "UserWebBottomTips.html"));
  EXPECT_EQ(FileText(folder_.path() / "Data" / "WebBottomTips.txt"),
            FileText(folder_.path() / "Data" / "WebBottomTipsTemplate.txt"));
  EXPECT_TRUE(TheSetup().tipStyleChanged);
  TheSetup().tipStyleChanged = false;
}

TEST_F(ToolsWin32Test, TheStatisticsWindowStaysHiddenAndClosesItselfOnce) {
  CStatisticsDlg statistics;
  ASSERT_TRUE(statistics.Create());
  HWND window = Win32Ui::HandleOf(statistics);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowVisible(window));
  SendMessageW(window, WM_TIMER, CStatisticsDlg::kCloseTimer, 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(statistics.IsOpen());
  statistics.DestroyWindow();  // the teardown's call finds nothing to destroy
}

}  // namespace
