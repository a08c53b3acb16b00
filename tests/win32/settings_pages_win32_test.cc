// The keyword and site-list pages and their add dialogs on real windows (Wine under Xvfb),
// from the real templates, driven by control number. Screenshots go to screenshots/ of the
// build folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "config/settings.h"
#include "framework/dialog.h"
#include "framework/ui_backend.h"
#include "framework/win32/win32_ui.h"
#include "resource.h"
#include "rules/list_files.h"
#include "rules/shared_lists.h"
#include "rules/text_list.h"
#include "settings_ui/add_word_dlg.h"
#include "settings_ui/bw_domain_dlg.h"
#include "settings_ui/filter_dlg.h"
#include "settings_ui/user_word_dlg.h"
#include "temp_folder.h"
#include "test_pictures.h"
#include "win32_windows.h"

namespace {

constexpr int kPageHost = 9100;

class PageHost : public CDialog {
 public:
  PageHost() : CDialog(kPageHost) {}
};

class SettingsPagesWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) == 0) GTEST_SKIP() << "no X display: windows cannot be created";
    ui_ = std::make_unique<Win32Ui>();
    installed_ = std::make_unique<ScopedUiBackend>(*ui_);
    std::filesystem::create_directories(folder_.path() / "Data");
    TheSetup().JieSeActive = false;
    ASSERT_TRUE(host_.Create());
    host_.Window()->Show(WindowShow::kNormal);
  }
  void TearDown() override {
    host_.DestroyWindow();
    installed_.reset();
    ui_.reset();
  }
  static void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  static bool IsGroupBox(HWND control) {
    wchar_t name[16] = {};
    GetClassNameW(control, name, 16);
    return lstrcmpiW(name, L"Button") == 0 && (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
  }
  // Shows `page` in the host and saves a picture of the two as `name`.
  void ShowInHost(CDialog& page, const char* name) {
    page.Window()->Show(WindowShow::kNormal);
    Pump();
    Save(Win32Ui::HandleOf(host_), name);
  }
  static void Save(HWND window, const char* name) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    // Wine's group box fills its whole rectangle, over any control inside it that painted
    // first; the controls are drawn once more on top, as Windows shows them.
    EnumChildWindows(
        window,
        [](HWND child, LPARAM) -> BOOL {
          if (!IsGroupBox(child)) {
            RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
          }
          return TRUE;
        },
        0);
    // The picture is read back from the X server, which may not have drawn everything yet.
    GdiFlush();
    Sleep(200);
    std::filesystem::path folder = KEZO_SCREENSHOT_DIR;
    std::filesystem::create_directories(folder);
    test_pictures::Write(folder / name, Screenshot(window));
  }
  // Runs `step` on the window holding control `id` once it is open, looking again from the
  // message loop (a modal dialog's own loop runs these tasks too). A modal dialog shows
  // itself only once its loop is idle, so it is shown here first.
  static void WhenOpen(int id, std::function<void(HWND)> step, int attempts = 200) {
    Ui().Dispatcher().Post([id, step, attempts] {
      if (HWND window = ThreadWindowWithControl(id)) {
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
        step(window);
      } else if (attempts > 0) {
        Sleep(10);
        WhenOpen(id, step, attempts - 1);
      } else {
        ADD_FAILURE() << "no window with control " << id;
      }
    });
  }
  // The controls of `dialog` whose rectangles cross, group boxes aside (they frame others).
  static std::vector<std::pair<int, int>> OverlappingControls(HWND dialog) {
    struct Control {
      int id;
      RECT rect;
    };
    std::vector<Control> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      if (IsGroupBox(child)) continue;
      RECT rect;
      GetWindowRect(child, &rect);
      controls.push_back({GetDlgCtrlID(child), rect});
    }
    std::vector<std::pair<int, int>> crossing;
    for (size_t i = 0; i < controls.size(); ++i) {
      for (size_t j = i + 1; j < controls.size(); ++j) {
        RECT both;
        if (IntersectRect(&both, &controls[i].rect, &controls[j].rect)) crossing.push_back({controls[i].id, controls[j].id});
      }
    }
    return crossing;
  }
  static std::wstring TextOf(HWND dialog, int id) {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
  }

  ScopedTempWorkingFolder folder_;
  std::unique_ptr<Win32Ui> ui_;
  std::unique_ptr<ScopedUiBackend> installed_;
  PageHost host_;
};

TEST_F(SettingsPagesWin32Test, TheSiteListsPageAddsARowThroughTheAddDialogAndTheNotice) {
  SharedLists lists;
  lists.userBlackDomains.AddMany({u"first.test", u"zulu.test"}, true);
  CBWDomainDlg page(lists, TheSetup());
  ASSERT_TRUE(page.Create(&host_));
  HWND window = Win32Ui::HandleOf(page);
  EXPECT_EQ(GetParent(window), Win32Ui::HandleOf(host_)) << "a child of its host, as in the settings centre";
  EXPECT_EQ(TextOf(window, IDC_BW_BLACK), L"禁止访问的网站");
  EXPECT_EQ(TextOf(window, IDC_BW_NO_IMAGE), L"不显示图片的网站");
  EXPECT_EQ(IsDlgButtonChecked(window, IDC_BW_BLACK), BST_CHECKED);
  HWND view = GetDlgItem(window, IDC_BW_LIST);
  EXPECT_FALSE(GetWindowLongW(view, GWL_STYLE) & LVS_SINGLESEL) << "several rows can be selected";
  EXPECT_EQ(page.Window()->ListCount(IDC_BW_LIST), 2);

  bool notice_seen = false;
  WhenOpen(IDC_ADD_URL_ENTRY, [&](HWND add) {
    EXPECT_EQ(TextOf(add, IDC_ADD_PROMPT), L"添加黑名单网址");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(add, IDOK)));
    // Typed, as the web-address box lets through: the capitals and "?" are swallowed.
    HWND entry = GetDlgItem(add, IDC_ADD_URL_ENTRY);
    for (wchar_t c : std::wstring(L"http://www.WineSite.test/page?x")) SendMessageW(entry, WM_CHAR, c, 0);
    EXPECT_EQ(TextOf(add, IDC_ADD_URL_ENTRY), L"http://www.ineite.test/pagex");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(add, IDOK))) << "a text enables OK";
    Save(add, "add_url_dialog.png");
    WhenOpen(IDC_NOTICE_TEXT, [&](HWND notice) {
      notice_seen = true;
      EXPECT_EQ(TextOf(notice, IDC_NOTICE_TEXT), L"添加完成!\r\n建议清理一次浏览器缓存，并重新开启浏览器。");
      Save(notice, "added_notice.png");
      HWND text = GetDlgItem(notice, IDC_NOTICE_TEXT);
      PostMessageW(notice, WM_COMMAND, MAKEWPARAM(IDC_NOTICE_TEXT, STN_CLICKED), reinterpret_cast<LPARAM>(text));
    });
    SendDlgItemMessageW(add, IDOK, BM_CLICK, 0, 0);
  });
  // "添加(&A)..." as the context menu sends it.
  SendMessageW(window, WM_COMMAND, ID_BW_ADD, 0);
  EXPECT_TRUE(notice_seen);
  EXPECT_EQ(page.Window()->ListCount(IDC_BW_LIST), 3);
  EXPECT_EQ(page.Window()->ListText(IDC_BW_LIST, 1, 0), u"ineite.test") << "in its sorted place";
  EXPECT_TRUE(lists.userBlackDomains.Contains("ineite.test"));

  // Two rows selected at once go in one deletion.
  page.Window()->ListSetSelected(IDC_BW_LIST, 0, true);
  page.Window()->ListSetSelected(IDC_BW_LIST, 2, true);
  EXPECT_EQ(page.Window()->ListSelectedItems(IDC_BW_LIST), (std::vector<int>{0, 2}));
  SendMessageW(window, WM_COMMAND, ID_BW_DELETE_SELECTED, 0);
  EXPECT_EQ(*lists.userBlackDomains.Entries(), std::vector<std::u16string>{u"ineite.test"});
  ShowInHost(page, "bw_domain_page.png");
  page.DestroyWindow();
}

TEST_F(SettingsPagesWin32Test, TheKeywordPageAddsWordsFromItsField) {
  CUserWordDlg page(TheSetup());
  ASSERT_TRUE(page.Create(&host_));
  HWND window = Win32Ui::HandleOf(page);
  EXPECT_EQ(IsDlgButtonChecked(window, IDC_USERWORD_HIDE), BST_CHECKED) << "the list starts hidden";
  SendDlgItemMessageW(window, IDC_USERWORD_HIDE, BM_CLICK, 0, 0);
  SetDlgItemTextW(window, IDC_USERWORD_ENTRY, L"测试词语\r\n  第二个  \r\nx");
  SendDlgItemMessageW(window, IDC_USERWORD_ADD, BM_CLICK, 0, 0);
  EXPECT_EQ(page.Window()->ListCount(IDC_USERWORD_LIST), 2);
  EXPECT_EQ(page.Window()->ListText(IDC_USERWORD_LIST, 0, 0), u"测试词语");
  EXPECT_EQ(TextOf(window, IDC_USERWORD_COUNT), L"关键词数量: [ 2 ]");
  EXPECT_TRUE(page.Changed());
  ShowInHost(page, "user_word_page.png");
  page.DestroyWindow();
}

TEST_F(SettingsPagesWin32Test, TheFilterPageShowsSafeSearchBesideTheOtherSwitches) {
  TheSetup().SafeSearch = 1;
  CMyList image_list(list_files::kURLList);
  CFilterDlg page(image_list);
  ASSERT_TRUE(page.Create(&host_));
  HWND window = Win32Ui::HandleOf(page);
  EXPECT_EQ(TextOf(window, IDC_SAFE_SEARCH), L"安全搜索");
  EXPECT_EQ(IsDlgButtonChecked(window, IDC_SAFE_SEARCH), BST_CHECKED);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, IDC_SAFE_SEARCH)));
  EXPECT_EQ(OverlappingControls(window), (std::vector<std::pair<int, int>>{}));
  ShowInHost(page, "filter_page.png");

  // A click in the forced mode is put back, and the box greyed.
  TheSetup().JieSeActive = true;
  SendDlgItemMessageW(window, IDC_SAFE_SEARCH, BM_CLICK, 0, 0);
  EXPECT_EQ(IsDlgButtonChecked(window, IDC_SAFE_SEARCH), BST_CHECKED);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_SAFE_SEARCH)));
  ShowInHost(page, "filter_page_forced_mode.png");
  TheSetup().JieSeActive = false;
  page.DestroyWindow();
}

TEST_F(SettingsPagesWin32Test, TheAddKeywordDialogTakesTenCharactersAtMost) {
  CAddWordDlg dialog;
  WhenOpen(IDC_ADD_WORD_ENTRY, [](HWND add) {
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(add, IDOK)));
    HWND entry = GetDlgItem(add, IDC_ADD_WORD_ENTRY);
    for (wchar_t c : std::wstring(L"一二三四五六七八九十多余")) SendMessageW(entry, WM_CHAR, c, 0);
    EXPECT_EQ(TextOf(add, IDC_ADD_WORD_ENTRY), L"一二三四五六七八九十");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(add, IDOK)));
    Save(add, "add_word_dialog.png");
    SendDlgItemMessageW(add, IDOK, BM_CLICK, 0, 0);
  });
  EXPECT_EQ(dialog.DoModal(), kIdOk);
  EXPECT_EQ(dialog.word, u"一二三四五六七八九十");
}

}  // namespace
