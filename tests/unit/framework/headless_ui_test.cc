#include "framework/headless/headless_ui.h"

#include <gtest/gtest.h>

#include "framework/image_header.h"

namespace {

constexpr char kScript[] = R"rc(
100 DIALOGEX 0, 0, 200, 120
STYLE WS_POPUP
CAPTION "样例"
BEGIN
    AUTO3STATE      "三态", 10, 7, 7, 80, 10
    AUTOCHECKBOX    "两态", 11, 7, 20, 80, 10
    AUTORADIOBUTTON "甲", 12, 7, 30, 40, 10, WS_GROUP
    AUTORADIOBUTTON "乙", 13, 50, 30, 40, 10
    AUTORADIOBUTTON "丙", 14, 7, 40, 40, 10, WS_GROUP
    COMBOBOX        15, 7, 50, 80, 60, CBS_DROPDOWNLIST
    EDITTEXT        16, 7, 70, 80, 12
    PUSHBUTTON      "关", 17, 90, 70, 40, 12, WS_DISABLED
    PUSHBUTTON      "下一层", 18, 90, 90, 40, 12
    CONTROL         "", 19, "SysListView32", LVS_REPORT | WS_BORDER, 140, 7, 50, 40
    CONTROL         "", 20, "SysListView32", LVS_REPORT | LVS_SINGLESEL, 140, 50, 50, 40
    DEFPUSHBUTTON   "确定", 1, 100, 100, 40, 12
END
)rc";

// A dialog whose clicks change what the test reads: the shape of every dialog of the
// program.
class SampleDlg : public CDialog {
 public:
  SampleDlg() : CDialog(100) {}
  int commands = 0;
  int edits = 0;
  int answer = 0;
  int nested_result = 0;
  std::vector<int> timers;
  std::vector<int> right_clicks;  // rows

 protected:
  bool OnInit() override {
    window().ComboAdd(15, u"五分钟", 5);
    window().ComboAdd(15, u"一小时", 60);
    window().ComboSelect(15, 0);
    window().SetTimer(4, 1000);
    return true;
  }
  bool OnCommand(int id) override {
    ++commands;
    if (id == 11) {
      answer = MessageBox(u"确认吗？", {}, MessageButtons::kYesNo, MessageIcon::kQuestion);
      window().SetText(16, answer == kIdYes ? u"是" : u"否");
    }
    if (id == 18) {
      SampleDlg nested;
      nested_result = nested.DoModal(this);
    }
    return true;
  }
  void OnControlEvent(int id, ControlEvent event, std::u16string_view detail) override {
    if (event == ControlEvent::kTextChanged) ++edits;
    if (event == ControlEvent::kRightClicked) right_clicks.push_back(ListRowOf(detail));
  }
  void OnTimer(int id) override { timers.push_back(id); }
};

class HeadlessUiTest : public ::testing::Test {
 protected:
  ResourceScript script_ = ResourceScript::Parse(kScript);
  HeadlessUi ui_{script_};
  ScopedUiBackend installed_{ui_};
};

TEST_F(HeadlessUiTest, ClicksFollowTheControlsKindAndReachOnlyEnabledControls) {
  SampleDlg dialog;
  ASSERT_TRUE(dialog.Create());
  HeadlessWindow& window = *ui_.WindowOf(dialog);
  EXPECT_EQ(window.Title(), u"样例");

  const CheckState three_state_cycle[] = {CheckState::kChecked, CheckState::kIndeterminate, CheckState::kUnchecked};
  for (CheckState expected : three_state_cycle) {
    ASSERT_TRUE(ui_.Click(dialog, 10));
    EXPECT_EQ(window.Check(10), expected);
  }
  ui_.Click(dialog, 12);
  ui_.Click(dialog, 14);
  ui_.Click(dialog, 13);
  EXPECT_EQ(window.Check(12), CheckState::kUnchecked) << "the other radio button of its group is cleared";
  EXPECT_EQ(window.Check(13), CheckState::kChecked);
  EXPECT_EQ(window.Check(14), CheckState::kChecked) << "another group keeps its choice";

  int before = dialog.commands;
  EXPECT_FALSE(ui_.Click(dialog, 17)) << "a disabled button cannot be clicked";
  window.ShowControl(18, false);
  EXPECT_FALSE(ui_.Click(dialog, 18)) << "nor a hidden one";
  EXPECT_FALSE(ui_.Click(dialog, 999));
  EXPECT_EQ(dialog.commands, before);

  EXPECT_TRUE(ui_.SelectCombo(dialog, 15, 1));
  EXPECT_EQ(window.ComboData(15, window.ComboSelection(15)), 60);
  window.SetTextLimit(16, 3);
  ui_.Type(dialog, 16, u"abcd");
  EXPECT_EQ(window.Text(16), u"abc");
  EXPECT_EQ(dialog.edits, 4);
}

TEST_F(HeadlessUiTest, ListViewsSelectSeveralRowsAndReportTheRowUnderARightClick) {
  SampleDlg dialog;
  ASSERT_TRUE(dialog.Create());
  HeadlessWindow& window = *ui_.WindowOf(dialog);
  for (const char16_t* row : {u"a", u"b", u"c", u"d"}) {
    window.ListInsert(19, -1, row);
    window.ListInsert(20, -1, row);
  }
  ASSERT_TRUE(ui_.SelectListRows(dialog, 19, {1, 3}));
  EXPECT_EQ(window.ListSelectedItems(19), (std::vector<int>{1, 3}));
  EXPECT_EQ(window.ListSelection(19), 1);
  window.ListDelete(19, 0);
  EXPECT_EQ(window.ListSelectedItems(19), (std::vector<int>{0, 2})) << "the selection moves with its rows";

  ui_.RightClickList(dialog, 19, 2);
  EXPECT_EQ(window.ListSelectedItems(19), (std::vector<int>{0, 2})) << "a click on a selected row keeps the selection";
  ui_.RightClickList(dialog, 19, 1);
  EXPECT_EQ(window.ListSelectedItems(19), (std::vector<int>{1})) << "a click on another row selects it alone";
  ui_.RightClickList(dialog, 19, 7);
  EXPECT_EQ(dialog.right_clicks, (std::vector<int>{2, 1, -1})) << "below the rows names no row";

  ui_.SelectListRows(dialog, 20, {0, 2});
  EXPECT_EQ(window.ListSelectedItems(20), (std::vector<int>{2})) << "a single-selection view keeps the last";
  window.ListSelect(20, -1);
  EXPECT_EQ(window.ListSelection(20), -1);

  window.ListSetRedraw(19, false);
  window.ListSetRedraw(19, false);
  EXPECT_FALSE(ui_.ControlOf(dialog, 19)->list_redraw);
  window.ListSetRedraw(19, true);
  EXPECT_EQ(ui_.ControlOf(dialog, 19)->list_redraw_pauses, 1);
}

TEST_F(HeadlessUiTest, MessageBoxesAndNestedModalDialogsAreAnsweredByScript) {
  SampleDlg dialog;
  ASSERT_TRUE(dialog.Create());
  ui_.on_message_box = [](const MessageBoxRequest& request) { return kIdYes; };
  ui_.Click(dialog, 11);
  ASSERT_EQ(ui_.message_boxes.size(), 1u);
  EXPECT_EQ(ui_.message_boxes[0].text, u"确认吗？");
  EXPECT_EQ(ui_.message_boxes[0].buttons, MessageButtons::kYesNo);
  EXPECT_EQ(dialog.Window()->Text(16), u"是");

  ui_.on_modal = [this](CDialog& nested) {
    EXPECT_EQ(ui_.WindowOf(nested)->ComboCount(15), 2) << "the nested dialog is initialised first";
    ui_.Click(nested, kIdOk);
    return kIdCancel;
  };
  ui_.Click(dialog, 18);
  EXPECT_EQ(dialog.nested_result, kIdOk) << "the dialog's own end wins over the script's answer";

  ui_.on_modal = nullptr;
  ui_.Click(dialog, 18);
  EXPECT_EQ(dialog.nested_result, kIdCancel) << "nobody answers: cancelled";
  EXPECT_EQ(ui_.OpenDialogs(100).size(), 1u);
}

TEST_F(HeadlessUiTest, TimersFireByHandUntilKilledAndDieWithTheWindow) {
  SampleDlg dialog;
  ASSERT_TRUE(dialog.Create());
  EXPECT_TRUE(ui_.FireTimer(dialog, 4));
  EXPECT_TRUE(ui_.FireTimer(dialog, 4)) << "timers repeat";
  EXPECT_FALSE(ui_.FireTimer(dialog, 5));
  EXPECT_EQ(dialog.timers, (std::vector<int>{4, 4}));
  EXPECT_EQ(ui_.WindowOf(dialog)->Timers().at(4).period_ms, 1000u);

  ui_.SendSysCommand(dialog, SysCommand::kClose);  // the default: as Cancel, which ends it
  EXPECT_FALSE(dialog.IsOpen());
  EXPECT_FALSE(ui_.FireTimer(dialog, 4));
  EXPECT_EQ(dialog.Create(), true) << "a closed modeless dialog opens again";
}

TEST(ImageHeaderTest, ReadsTheSizeOfEachFormatAndRefusesOthers) {
  std::string png("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x1a\0\0\0\x30", 24);
  std::string bmp = "BM" + std::string(12, '\0') + std::string("\x28\0\0\0\x4e\0\0\0\xe6\xff\xff\xff", 12);
  std::string gif("GIF89a\x10\0\x20\0", 10);
  std::string jpeg("\xff\xd8\xff\xe0\0\x04" "ab" "\xff\xc0\0\x11\x08\0\x40\0\x80", 17);
  EXPECT_EQ(ReadImageHeaderSize(png), (Size{26, 48}));
  EXPECT_EQ(ReadImageHeaderSize(bmp), (Size{78, 26})) << "a top-down bitmap has a negative height";
  EXPECT_EQ(ReadImageHeaderSize(gif), (Size{16, 32}));
  EXPECT_EQ(ReadImageHeaderSize(jpeg), (Size{128, 64}));
  for (std::string_view bad : {std::string_view(png).substr(0, 20), std::string_view("plain text"), std::string_view()}) {
    EXPECT_EQ(ReadImageHeaderSize(bad), std::nullopt) << bad.size();
  }
}

}  // namespace
