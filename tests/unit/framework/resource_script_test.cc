#include "framework/resource_script.h"

#include <gtest/gtest.h>

#include "core/kezo_resources.h"
#include "resource.h"

namespace {

constexpr char kScript[] = R"rc(
#pragma code_page(65001)
#define IDD_SAMPLE 300   // a comment
#define IDC_BOX    1010
#define IDC_LIST   (1011)
LANGUAGE 4, 2
7 ICON "sample.ico"
IDD_SAMPLE DIALOGEX 0, 0, 200, 120
STYLE DS_SETFONT | WS_POPUP | WS_CAPTION | WS_VISIBLE
CAPTION "样例 ""引号"""
FONT 9, "MS Shell Dlg", 400, 0, 0x1
BEGIN
    AUTO3STATE      "三态", IDC_BOX, 7, 7, 80, 10
    AUTOCHECKBOX    "关闭", IDC_BOX + 2, 7, 20, 80, 10, WS_DISABLED | WS_TABSTOP
    CONTROL         "", IDC_LIST, "SysListView32", LVS_REPORT | NOT WS_VISIBLE, 7, 40, 100, 50
    EDITTEXT        1013, 7, 95, 60, 12, ES_AUTOHSCROLL
    CONTROL         "<a href=""https://a.example"">链接</a>", 1014, "SysLink", WS_TABSTOP, 7, 108, 60, 10
    PUSHBUTTON      "X", 1015, 120, 7, 17, 16, BS_OWNERDRAW
    LTEXT           "说明", IDC_STATIC, 120, 30, 60, 8
END
/* a block comment with BEGIN inside */
1 VERSIONINFO
 FILEVERSION 1,0,0,1
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    VALUE "ProductVersion", "1.0"
  END
END
STRINGTABLE
BEGIN
    101, "带逗号"
    102  "换行\n第二行"
END
)rc";

TEST(ResourceScriptTest, ReadsTemplatesControlsAndStrings) {
  ResourceScript script = ResourceScript::Parse(kScript);
  EXPECT_TRUE(script.Errors().empty()) << script.Errors().front();
  const DialogTemplate* dialog = script.FindDialog(300);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->caption, u"样例 \"引号\"");
  EXPECT_EQ(dialog->units, Rect::At(0, 0, 200, 120));
  ASSERT_EQ(dialog->controls.size(), 7u);

  struct Expected {
    int id;
    ControlKind kind;
    std::u16string text;
    bool visible, disabled, auto_check, owner_drawn;
  };
  const Expected expected[] = {
      {1010, ControlKind::kThreeState, u"三态", true, false, true, false},
      {1012, ControlKind::kCheckBox, u"关闭", true, true, true, false},
      {1011, ControlKind::kListView, u"", false, false, false, false},
      {1013, ControlKind::kEdit, u"", true, false, false, false},
      {1014, ControlKind::kLink, u"<a href=\"https://a.example\">链接</a>", true, false, false, false},
      {1015, ControlKind::kButton, u"X", true, false, false, true},
      {-1, ControlKind::kStatic, u"说明", true, false, false, false},
  };
  for (size_t i = 0; i < std::size(expected); ++i) {
    const ControlTemplate& control = dialog->controls[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(control.id, expected[i].id);
    EXPECT_EQ(control.kind, expected[i].kind);
    EXPECT_EQ(control.text, expected[i].text);
    EXPECT_EQ(control.visible, expected[i].visible);
    EXPECT_EQ(control.disabled, expected[i].disabled);
    EXPECT_EQ(control.auto_check, expected[i].auto_check);
    EXPECT_EQ(control.owner_drawn, expected[i].owner_drawn);
  }
  EXPECT_EQ(script.FindString(101), u"带逗号");
  EXPECT_EQ(script.FindString(102), u"换行\n第二行");
  EXPECT_EQ(script.FindString(103), std::nullopt);
  EXPECT_EQ(script.Symbol("IDC_LIST"), 1011);
}

TEST(ResourceScriptTest, AStatementItCannotReadIsReportedAndSkipped) {
  ResourceScript script = ResourceScript::Parse(R"rc(
5 DIALOGEX 0, 0, 10, 10
BEGIN
    FANCYCONTROL "?", 1, 2, 3, 4, 5
END
6 MENU
BEGIN
    MENUITEM "好", 40001
END
)rc");
  EXPECT_FALSE(script.Errors().empty());
  EXPECT_EQ(script.FindDialog(5), nullptr);
  ASSERT_TRUE(script.FindPopupMenu(6).has_value());
  EXPECT_EQ(script.FindPopupMenu(6)->CommandIds(), std::vector<int>{40001});
}

// The program's own resources: every number the main window relies on is there.
TEST(ResourceScriptTest, TheProgramsScriptsHoldTheMenusStringsAndMainTemplate) {
  const ResourceScript& script = KezoResources();
  EXPECT_TRUE(script.Errors().empty()) << script.Errors().front();

  std::optional<MenuModel> tray = script.FindPopupMenu(IDR_TRAY_MENU);
  ASSERT_TRUE(tray.has_value());
  EXPECT_EQ(tray->Title(), u"托盘菜单");
  EXPECT_EQ(tray->CommandIds(), (std::vector<int>{32810, 32774, 32799, 32800, 32785, 32849, 32811, 32841, 32845,
                                                  32847, 32807, 32808}));
  ASSERT_EQ(tray->Items().size(), 9u);
  EXPECT_TRUE(tray->Items()[5].separator);
  EXPECT_EQ(tray->Items()[7].text, u"工具(&T)");
  EXPECT_EQ(tray->Find(32807)->text, u"清除 IE 上网痕迹");
  EXPECT_EQ(tray->Items()[8].text, u"退出(&X)");

  std::optional<MenuModel> main_menu = script.FindPopupMenu(IDR_MAINSET_MENU);
  ASSERT_TRUE(main_menu.has_value());
  EXPECT_EQ(main_menu->Title(), u"MainSet");
  EXPECT_EQ(main_menu->CommandIds(), (std::vector<int>{32774, 32781, 32784, 32785, 32786, 32775, 32839}));
  EXPECT_EQ(main_menu->Items()[1].text, u"帮助");

  const std::pair<int, std::u16string> strings[] = {
      {104, u"显示软件界面"}, {105, u"隐藏软件界面"}, {106, u"暂停软件过滤"}, {107, u"恢复软件过滤"},
      {108, u"验证密码"}, {109, u"Veltra_锁定"}, {118, u"开启强制戒色模式"}, {119, u"延长强制戒色模式时间"}};
  for (const auto& [id, text] : strings) EXPECT_EQ(script.FindString(id), text) << id;

  const DialogTemplate* main = script.FindDialog(IDD_KEZO_DIALOG);
  ASSERT_NE(main, nullptr);
  for (int id : {1002, 1003, 1004, 1006, 1007, 1008, 1071, IDC_BANNER, IDC_VERSION_LABEL, IDC_LINK_SHARE}) {
    EXPECT_NE(main->Find(id), nullptr) << id;
  }
  for (int id = IDC_DIGIT0; id <= IDC_DIGIT9; ++id) EXPECT_FALSE(main->Find(id)->visible) << id;
  EXPECT_EQ(main->Find(IDC_EXPLORER)->class_name, "{8856F961-340A-11D0-A96B-00C04FD705A2}");
  EXPECT_TRUE(main->Find(IDC_CLOSE_BUTTON)->owner_drawn);
}

}  // namespace
